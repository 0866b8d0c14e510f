// The recordings list without its widget: the rows, the list file
// reclist.txt (reading, atomic saving), finding a file in the list, the sort
// order, adding a finished recording, and the enabling of the list's controls.
// File actions on the listed files (copy, mail, the sound editor) are in
// library/file_actions.h.
//
// Names and folders are kept as the bytes the file system gives, so that a
// name that is not valid UTF-8 loads, plays and saves unchanged; the window
// turns them into text only to show them (ShownText). Length, Size and Type are
// the program's own texts in UTF-8.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RecordingListEntry {
  std::string Name;    // file name with extension, no folder
  std::string Length;  // "00:02:10"
  std::string Size;    // "734 KB"
  std::string Type;    // the output format chosen: "WAV", "MP3", ...
  std::string Path;    // folder, ending with "/"

  // Path followed directly by Name: every file operation uses this.
  std::string fullPath() const { return Path + Name; }
  bool operator==(const RecordingListEntry&) const = default;
};

using RecordingRows = std::vector<RecordingListEntry>;

// A name or folder as the window shows it, and a path the window holds as
// text back to the file system's bytes.
QString ShownText(const std::string& bytes);
std::string FileNameBytes(const QString& path);

// ---- reclist.txt ----------------------------------------------------------

// Lines longer than this (without the line end) are skipped when reading.
inline constexpr std::size_t kMaxListLineBytes = 64 * 1024;

// The fields of one line, without its line end. A field ends at "|"; a ' or "
// opens a quoted run, up to the next quote of the same kind, in which "|" does
// not end the field (the quotes stay in the text); empty fields are dropped.
std::vector<std::string> SplitRecordingListLine(std::string_view line);
// The same line split at every "|", empty fields dropped.
std::vector<std::string> SplitRecordingListLinePlain(std::string_view line);

// The row a line stands for: it must give exactly five fields. A line the
// quote rule cannot split into five (a name such as Don't.mp3 opens a quoted
// run that swallows the separators) is split again at every "|". A line with
// a NUL or another control byte (a tab excepted), or longer than
// kMaxListLineBytes, gives no row.
std::optional<RecordingListEntry> ParseRecordingListLine(std::string_view line);

using FileExistsCheck = std::function<bool(const std::string& fullPath)>;
// True when the path names something that is not a folder.
bool ListedFileExists(const std::string& fullPath);

// The rows of a list file's content; lines end with LF or CR LF. Rows whose
// file (Path + Name) does not exist by `exists` are dropped.
RecordingRows ParseRecordingListText(std::string_view text,
                                     const FileExistsCheck& exists = ListedFileExists);

struct RecordingListLoad {
  bool found = false;  // false: no list file; the list stays as it is
  RecordingRows rows;  // in the file's order
  QString error;       // the file is there but could not be read (found is true)
};
// Reads the list file (streaming; a file of any size is read in bounded
// memory per line).
RecordingListLoad LoadRecordingList(const QString& listPath,
                                    const FileExistsCheck& exists = ListedFileExists);

// One line per row in the given order: Name|Length|Size|Type|Path and CR LF.
// Values are written as they stand. An empty list gives an empty text.
std::string RecordingListText(const RecordingRows& rows);

struct RecordingListSave {
  bool ok = false;
  QString message;  // "Unable to write to <path>" when not ok
  QString reason;   // what the system said, when not ok
};
// Replaces the list file atomically: a temporary file in the same folder,
// synced, renamed over the list file, then the folder synced. On failure the
// old file stays as it was and no temporary file is left.
RecordingListSave SaveRecordingList(const QString& listPath, const RecordingRows& rows);

// reclist.txt in the work folder (which ends with "/").
QString RecordingListPath(const QString& workFolder);

// ---- rows -------------------------------------------------------------------

// The first row whose Path + Name is byte for byte the given path, or -1.
// A.wav and a.wav are two files here.
int FindListedFile(const RecordingRows& rows, const std::string& fullPath);

// The part of a full path after the last "/", and the part up to and with it.
std::string FileNamePart(const std::string& fullPath);
std::string FolderPart(const std::string& fullPath);

// ---- sorting ----------------------------------------------------------------

inline constexpr int kListColumns = 5;  // Name, Length, Size, Type, Path

// The text of a column (0 Name, 1 Length, 2 Size, 3 Type, 4 Path); a column
// out of range counts as Name.
const std::string& ColumnText(const RecordingListEntry& entry, int column);

// Compares two texts with only the ASCII letters folded (to upper case, so
// "_" sorts after the letters); other bytes compare by value. <0, 0 or >0.
int CompareListText(std::string_view a, std::string_view b);

// ReclistCompare: the two rows' texts in the sort column, compared by
// CompareListText. Always ascending; sizes and lengths compare as text, so
// "10 MB" comes before "9 MB".
int ReclistCompare(const RecordingListEntry& a, const RecordingListEntry& b, int sortColumn);

// Orders the rows by ReclistCompare; equal rows keep their order.
void SortRecordingList(RecordingRows& rows, int sortColumn);

// ---- a finished recording -----------------------------------------------------

struct FinishedRecording {
  std::string fullPath;  // FLastRecordedFile
  std::string length;    // the "File Length" label's text
  std::string size;      // FileSizeText of the file
  std::string type;      // the output-format list's text
};

struct FinishedRecordingAdded {
  // Unlistable: the path holds "|" or a line break, which a line of the list
  // file cannot keep (it would be dropped at the next load).
  enum class Change { None, Appended, Refreshed, Unlistable };
  Change change = Change::None;  // None: the file does not exist
  int row = -1;                  // the row to select
};

// AddFinishedRecording's list part: a file not listed is appended as a new
// row (Name and Path from the full path); a listed one gets the new Length
// and Size, its Name, Type and Path stay. A file that does not exist changes
// nothing.
FinishedRecordingAdded AddFinishedRecording(RecordingRows& rows, const FinishedRecording& recording,
                                            const FileExistsCheck& exists = ListedFileExists);

// The rows of `from` not listed in `rows` yet, appended to them in their order.
void MergeRecordingRows(RecordingRows& rows, const RecordingRows& from);

// Whether the recording just added is played: not when silence detection
// (cdar) stops or starts recordings at silence (cslientnew), not when a split
// starts a new file (csplitnew), and only when cplay asks for it.
bool PlayAfterStop(bool cdar, bool cslientnew, bool csplitnew, bool cplay);

// ---- the list's controls -------------------------------------------------------

struct ListControlInput {
  int rowCount = 0;
  // The Types of the selected rows in display order; the first is the
  // selected entry.
  std::vector<std::string> selectedTypes;
  bool editorPresent = false;  // the companion editor's program exists
  bool vistaOrLater = true;    // FVistaOrLater
  bool selectedIsRecording = false;  // the selected entry's file is being recorded
};

struct ListControlStates {
  bool play = false;         // btnplay, menuplay: one selected
  bool del = false;          // btndel, menudel: any selected
  bool clear = false;        // menuclear: the list has rows
  bool tag = false;          // btntagedit, menutag: one selected, a type with tags, not recording
  bool mail = false;         // menumail enabled: any selected
  bool mailVisible = false;  // menumail shown: only with the older device model
  bool copy = false;         // menucopy: any selected
  bool goTo = false;         // btngoto, menugoto: one selected
  bool editAudio = false;    // Editaudio1: the editor exists and the type is one it opens
};

// ReclistClick / PopupMenu1Popup. Type texts compare exactly (upper case).
ListControlStates ListControlStatesFor(const ListControlInput& input);
