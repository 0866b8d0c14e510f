// What the recordings list does with the listed files: copy them to a folder,
// mail them, open them in the companion sound editor. Paths are the file
// system's bytes (RecordingListEntry::fullPath()); programs are started
// without a shell and not waited for.
#pragma once

#include <QFuture>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

// ---- starting programs ----------------------------------------------------

// A program name with a "/" as it is; a bare name looked up in the folders of
// PATH (as the environment has it at the call). Empty when not found or not
// executable.
std::string FindProgram(const std::string& program);

// Starts the program with the arguments (each passed as one argument, bytes
// unchanged), without a shell, and does not wait for it; the child is reaped
// when it ends. False, with the system's reason, when it cannot be started.
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   QString* reason = nullptr);

// ---- copying ------------------------------------------------------------------

struct CopyReport {
  int copied = 0;
  QStringList messages;  // one per file not copied, naming it and the reason
  bool cancelled = false;
};

struct CopyProgress {
  // Bytes copied so far and all bytes to copy; called on the copying thread.
  std::function<void(qint64 done, qint64 total, const std::string& current)> report;
  const std::atomic<bool>* cancel = nullptr;  // set to stop after the current block
};

// Copies each file into the folder under its own name, replacing a file of
// that name without asking; the folder is created when missing. A target that
// is the source itself (same device and inode) is left alone with a message.
// Each copy is written to a temporary name in the folder and renamed into
// place, so a failed copy never leaves a cut-off file or harms one there
// before. Uses no Qt object and no shared state: run it on a worker thread.
CopyReport CopyFilesTo(const std::vector<std::string>& paths, const std::string& folder,
                       const CopyProgress& progress = {});

// CopyFilesTo on a thread of the global pool. The future's progress runs from
// 0 to 1000 with the current file's name as progress text; its one result is
// the report. Cancelling it stops the copy after the current block (that
// file's partial copy is removed) and leaves the future without a result.
QFuture<CopyReport> StartCopyFilesTo(const std::vector<std::string>& paths, const std::string& folder);

// ---- mail -------------------------------------------------------------------------

inline constexpr const char* kMailProgram = "xdg-email";

// The mail composer's arguments: subject, body, and one --attach per path in
// order.
std::vector<std::string> MailArguments(const std::vector<std::string>& paths);

// MailFiles: opens the desktop's mail composer with the files attached. False
// (the window shows "send mail ERROR") when the program is missing or cannot
// be started; what the mail program does afterwards is its own business.
bool MailFiles(const std::vector<std::string>& paths, const std::string& program = kMailProgram);

// ---- the companion sound editor -----------------------------------------------------

// Dedurira/editor.ini in the desktop's configuration folder; section
// "editor10", key "path" holds the editor's folder.
QString EditorConfigPath();

// The editor's folder from that file, with a trailing "/" added when missing;
// empty when the file or the value is missing or empty. The file is only read.
std::string ReadEditorFolder(const QString& configPath = EditorConfigPath());

// The editor's program in the folder: folder + "dave".
std::string EditorProgram(const std::string& editorFolder);

// True when the folder is set and its "dave" is an executable file.
bool EditorPresent(const std::string& editorFolder);

// SoundEditor1Click: starts the editor with no arguments.
bool RunSoundEditor(const std::string& editorFolder);

// Editaudio1Click: starts the editor with the first selected file's full path
// as its one argument. Nothing selected: nothing is started (false).
bool EditAudio(const std::string& editorFolder, const std::vector<std::string>& selectedPaths);
