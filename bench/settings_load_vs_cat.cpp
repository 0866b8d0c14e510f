// Loading the options dialog from a 50 MB settings file, timed next to
// reading the same file with cat. The file starts with every real section
// (as the dialog saves them, and the window's "Main"), followed by filler
// sections another program might have left. The load reads the file once,
// so it should cost a small multiple of cat, not one read per value.
//
// Prints the median wall time of each over several runs and their RATIO.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "dialogs/main_window_link.h"
#include "dialogs/tfrmoption.h"
#include "settings/ini_file.h"

namespace {

constexpr qint64 kFileBytes = 50LL * 1024 * 1024;
constexpr int kRuns = 5;

class BenchLink final : public MainWindowLink {
 public:
  explicit BenchLink(QString folder) : folder_(std::move(folder)) {}
  int CurrentFormatIndex() const override { return 0; }
  int SampleRateIndex() const override { return 5; }
  QString WorkFolder() const override { return folder_; }
  QString MusicFolder() const override { return folder_; }
  bool IsStayOnTop() const override { return false; }
  void SetStayOnTop(bool) override {}
  void ReleaseHotkeys() override {}
  void InstallHotkeys() override {}
  void ReinstallHotkeys() override {}
  void UpdateFormatInfo() override {}
  void SetOutputFolder(const QString&) override {}

 private:
  QString folder_;
};

// Sections of twenty keys with values of about forty characters, until the
// file holds kFileBytes.
bool AppendFiller(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::Append)) return false;
  QByteArray block;
  for (int section = 0; file.size() + block.size() < kFileBytes; ++section) {
    block += "\n[Other program " + QByteArray::number(section) + "]\n";
    for (int key = 0; key < 20; ++key)
      block += "Entry" + QByteArray::number(key) + "=some value of about forty characters " +
               QByteArray::number(section * 20 + key) + "\n";
    if (block.size() > (1 << 20)) {
      file.write(block);
      block.clear();
    }
  }
  file.write(block);
  return file.error() == QFileDevice::NoError;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

template <class F>
double WallSeconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  if (!dir.isValid()) return 1;
  BenchLink link(dir.path() + QStringLiteral("/"));
  const QString path = SettingsFilePath(link.WorkFolder());

  Tfrmoption dialog(&link);
  dialog.SaveSettings();
  IniFile(path).WriteInteger(QStringLiteral("Main"), QStringLiteral("Volume"), 20);
  if (!AppendFiller(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return 1;
  }
  const qint64 size = QFile(path).size();

  // A first run of each puts the file in the page cache.
  dialog.LoadSettings();
  if (!bench::RunChild({"cat", path.toStdString()}, bench::ChildStdout::Discard).ok()) return 1;

  std::vector<double> load, cat;
  for (int run = 0; run < kRuns; ++run) {
    load.push_back(WallSeconds([&] { dialog.LoadSettings(); }));
    cat.push_back(WallSeconds([&] { bench::RunChild({"cat", path.toStdString()}, bench::ChildStdout::Discard); }));
  }
  const double loadMedian = Median(load), catMedian = Median(cat);
  std::printf("settings file: %.1f MB\n", static_cast<double>(size) / (1024.0 * 1024.0));
  std::printf("LoadSettings median: %.1f ms (%d runs)\n", loadMedian * 1000, kRuns);
  std::printf("cat > /dev/null median: %.1f ms (%d runs)\n", catMedian * 1000, kRuns);
  std::printf("RATIO: %.2f\n", loadMedian / catMedian);
  return 0;
}
