#include "app/remote_control.h"

#include <QCoreApplication>
#include <cstdio>

#include "app/single_instance.h"

RemoteCommand RemoteCommandOf(const QStringList& arguments) {
  if (arguments.size() < 2) return RemoteCommand::None;
  const QString& a = arguments.at(1);
  if (a == QLatin1String("--record")) return RemoteCommand::Record;
  if (a == QLatin1String("--pause")) return RemoteCommand::Pause;
  if (a == QLatin1String("--stop")) return RemoteCommand::Stop;
  return RemoteCommand::None;
}

int RemoteAction(RemoteCommand command) {
  switch (command) {
    case RemoteCommand::Record: return 0;
    case RemoteCommand::Pause: return 1;
    case RemoteCommand::Stop: return 2;
    case RemoteCommand::None: break;
  }
  return -1;
}

bool IsHelpArgument(const QString& argument) {
  return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

QString UsageText() {
  return QStringLiteral(
      "Usage: zovedu [switch]\n"
      "Records what a sound card captures into WAV, MP3, WMA, OGG, APE, FLAC, TTA,\n"
      "WV, AAC, MPC or SPX.\n"
      "\n"
      "Without a switch the program starts, or the running one comes to the front.\n"
      "\n"
      "  --record           start recording (the program starts first when it is\n"
      "                     not running)\n"
      "  --pause            pause or resume the running recording or playback\n"
      "  --stop             stop the running recording or playback\n"
      "  -run [task file]   record as a scheduled task: the task file sets format,\n"
      "                     source, volume, output name and stop time (\"-run\" in\n"
      "                     any case, as the first switch)\n"
      "  -h, --help         show this text\n"
      "\n"
      "--record, --pause and --stop act as the start, pause and stop hotkeys do;\n"
      "desktops can bind them to keys of their own. --pause and --stop end with\n"
      "status 1 when Zovedu is not running.\n");
}

int RemoteControlMain(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  if (arguments.size() > 1 && IsHelpArgument(arguments.at(1))) {
    std::fputs(qPrintable(UsageText()), stdout);
    return 0;
  }
  const RemoteCommand command = RemoteCommandOf(arguments);
  if (command == RemoteCommand::None) return -1;
  // No window system is needed to reach a running program.
  QCoreApplication core(argc, argv);
  const std::optional<QString> answer = SingleInstance::AskRunning({arguments, QString()});
  if (!answer) {
    if (command == RemoteCommand::Record) return -1;
    std::fputs("Zovedu is not running\n", stderr);
    return 1;
  }
  QString message;
  const int code = SingleInstance::ExitCodeFor(*answer, &message);
  if (!message.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(message));
  return code;
}
