// One running program per user. The first start listens on a local socket
// in a private runtime folder; a later start hands its command line to it
// and ends with the answer.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

// The folder of the socket: "zovedu" under $XDG_RUNTIME_DIR (or Qt's
// runtime fallback), created with mode 0700. Empty, with the reason in
// *why, when it is not ours alone (other owner, group or other bits).
QString InstanceFolder(QString* why = nullptr);

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // What a running program is asked: the other start's arguments (the task
  // file made absolute) and the task it runs for ($ZOVEDU_TASK, may be empty).
  struct Request {
    QStringList arguments;
    QString task;
  };
  // Answers "shown", "started", "done" (a remote command taken), "busy" or "failed" ("silent" stands for a
  // running program that took the request but did not answer in time).
  using Handler = std::function<QString(const Request&)>;

  explicit SingleInstance(QObject* parent = nullptr);
  ~SingleInstance() override;

  // Hands the request to a running program and returns its answer; nullopt
  // when this one is now the running program (listening) or the folder
  // cannot be used (then it runs alone, unguarded).
  std::optional<QString> Acquire(const Request& request);
  // Hands the request to a running program without ever becoming one;
  // nullopt when none is running.
  static std::optional<QString> AskRunning(const Request& request);
  // Requests arriving before a handler is set wait for it.
  void SetHandler(Handler handler);
  // Stops listening and removes the socket.
  void Release();
  bool Listening() const;

  // The exit code and the stderr line of a start that handed over.
  static int ExitCodeFor(const QString& answer, QString* message);

 private:
  void Accept();
  void Serve(QLocalSocket* socket);
  QLocalServer* server_ = nullptr;
  QString path_;
  Handler handler_;
};
