// The rows of the recordings list: finding a file, the sort order, adding a
// finished recording, playing it after the stop, the enabling of the list's
// controls and the size texts of real files.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <QDir>

#include "library/recording_list.h"
#include "library_test_files.h"
#include "services/size_text.h"
#include "support/scratch_dir.h"

namespace {

RecordingListEntry Row(std::string name, std::string size = "1 KB", std::string path = "/r/") {
  return {std::move(name), "00:00:01", std::move(size), "WAV", std::move(path)};
}

std::vector<std::string> Column(const RecordingRows& rows, int column) {
  std::vector<std::string> texts;
  for (const auto& r : rows) texts.push_back(ColumnText(r, column));
  return texts;
}

TEST(FindListedFile, ComparesPathAndNameByteForByte) {
  const RecordingRows rows = {Row("A.wav"), Row("a.wav"), Row("b.wav", "1 KB", "/r/x/"), Row("a.wav")};
  const struct {
    std::string path;
    int row;
  } cases[] = {
      {"/r/A.wav", 0},
      {"/r/a.wav", 1},  // the first of two equal rows
      {"/r/x/b.wav", 2},
      {"/R/a.wav", -1},
      {"/r/a.wa", -1},
      {"/r/a.wav ", -1},
      {"/r//a.wav", -1},
      {"", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(FindListedFile(rows, c.path), c.row) << c.path;
  // The split between Path and Name does not matter, only the joined path.
  EXPECT_EQ(FindListedFile({{"x/b.wav", "", "", "", "/r/"}}, "/r/x/b.wav"), 0);
}

TEST(ReclistCompare, OrdersTextAscendingWithOnlyAsciiLettersFolded) {
  const struct {
    const char* a;
    const char* b;
    int sign;
  } cases[] = {
      {"10 MB", "9 MB", -1},  // text, not numbers
      {"10 MB", "2 KB", -1},
      {"2 KB", "9 MB", -1},
      {"abc.wav", "ABC.WAV", 0},
      {"a.wav", "B.wav", -1},
      {"ab", "abc", -1},
      {"", "a", -1},
      {"a_b", "aXb", 1},             // letters fold to upper case, "_" sorts after them
      {"\xc3\x89t\xc3\xa9", "\xc3\xa9t\xc3\xa9", -1},  // É and é are not folded: bytes
      {"z", "\xc3\xa9", -1},         // bytes above ASCII after every ASCII byte
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    const int ab = CompareListText(c.a, c.b), ba = CompareListText(c.b, c.a);
    EXPECT_EQ((ab > 0) - (ab < 0), c.sign);
    EXPECT_EQ((ba > 0) - (ba < 0), -c.sign);
  }
}

TEST(SortRecordingList, SortsByTheClickedColumnAlwaysAscending) {
  RecordingRows rows = {Row("b.wav", "9 MB", "/c/"), Row("C.wav", "2 KB", "/a/"), Row("a.wav", "10 MB", "/b/")};
  SortRecordingList(rows, 2);
  EXPECT_EQ(Column(rows, 2), (std::vector<std::string>{"10 MB", "2 KB", "9 MB"}));
  SortRecordingList(rows, 2);  // the same header again: still ascending
  EXPECT_EQ(Column(rows, 2), (std::vector<std::string>{"10 MB", "2 KB", "9 MB"}));
  SortRecordingList(rows, 0);
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"a.wav", "b.wav", "C.wav"}));
  SortRecordingList(rows, 4);
  EXPECT_EQ(Column(rows, 4), (std::vector<std::string>{"/a/", "/b/", "/c/"}));
  // Equal texts keep their order.
  RecordingRows same = {Row("x.WAV", "1 KB", "/1/"), Row("X.wav", "1 KB", "/2/")};
  SortRecordingList(same, 0);
  EXPECT_EQ(Column(same, 4), (std::vector<std::string>{"/1/", "/2/"}));
}

TEST(AddFinishedRecording, AppendsANewFileAndRefreshesAListedOne) {
  const auto exists = [](const std::string& path) { return path != "/rec/gone.wav"; };
  RecordingRows rows = {{"take.mp3", "00:00:10", "160 KB", "MP3", "/rec/"}};

  // A file not listed: a new row, split at the last "/".
  auto added = AddFinishedRecording(rows, {"/rec/sub dir/new.ogg", "00:01:00", "1 MB", "OGG"}, exists);
  EXPECT_EQ(added.change, FinishedRecordingAdded::Change::Appended);
  EXPECT_EQ(added.row, 1);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1], (RecordingListEntry{"new.ogg", "00:01:00", "1 MB", "OGG", "/rec/sub dir/"}));

  // Recorded again to the same path in another format: Length and Size only.
  added = AddFinishedRecording(rows, {"/rec/take.mp3", "00:00:20", "320 KB", "WAV"}, exists);
  EXPECT_EQ(added.change, FinishedRecordingAdded::Change::Refreshed);
  EXPECT_EQ(added.row, 0);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (RecordingListEntry{"take.mp3", "00:00:20", "320 KB", "MP3", "/rec/"}));

  // Case matters on this file system: another file, another row.
  added = AddFinishedRecording(rows, {"/rec/TAKE.mp3", "00:00:01", "16 KB", "MP3"}, exists);
  EXPECT_EQ(added.change, FinishedRecordingAdded::Change::Appended);
  EXPECT_EQ(rows.size(), 3u);

  // No file, no change.
  const RecordingRows before = rows;
  added = AddFinishedRecording(rows, {"/rec/gone.wav", "00:00:01", "", "WAV"}, exists);
  EXPECT_EQ(added.change, FinishedRecordingAdded::Change::None);
  EXPECT_EQ(added.row, -1);
  EXPECT_EQ(rows, before);

  // A name or folder a line of the list file cannot hold is not listed: it
  // would be split wrongly or cut in two and dropped at the next load.
  for (const char* path : {"/rec/a|b.wav", "/re|c/a.wav", "/rec/two\nlines.wav", "/rec/cr\r.wav"}) {
    added = AddFinishedRecording(rows, {path, "00:00:01", "1 KB", "WAV"}, exists);
    EXPECT_EQ(added.change, FinishedRecordingAdded::Change::Unlistable) << path;
    EXPECT_EQ(rows, before);
  }
}

TEST(MergeRecordingRows, AddsTheRowsNotListedInTheirOrder) {
  RecordingRows rows = {{"a.wav", "1", "1 KB", "WAV", "/x/"}};
  MergeRecordingRows(rows, {{"b.wav", "2", "2 KB", "WAV", "/x/"}, {"a.wav", "9", "9 KB", "WAV", "/x/"},
                            {"a.wav", "3", "3 KB", "WAV", "/y/"}});
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].Length, "1");
  EXPECT_EQ(rows[1].Name, "b.wav");
  EXPECT_EQ(rows[2].Path, "/y/");
}

TEST(PlayAfterStop, FollowsSilenceSplitAndPlayOptions) {
  const struct {
    bool cdar, cslientnew, csplitnew, cplay, play;
  } cases[] = {
      {false, false, false, true, true},
      {false, false, false, false, false},
      {false, false, true, true, false},   // a split goes on with a new file
      {true, true, false, true, false},    // silence starts the next recording
      {false, true, false, true, true},    // the silence option alone does nothing
      {true, false, false, true, true},    // silence detection without new files
      {true, false, true, true, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlayAfterStop(c.cdar, c.cslientnew, c.csplitnew, c.cplay), c.play)
        << c.cdar << c.cslientnew << c.csplitnew << c.cplay;
}

TEST(ListControlStates, FollowTheSelection) {
  using Types = std::vector<std::string>;
  // play, del, clear, tag, mail, copy, goTo, editAudio (editor present)
  const struct {
    const char* name;
    int rows;
    Types selected;
    bool editor;
    ListControlStates expected;
  } cases[] = {
      {"empty list", 0, {}, true, {.editAudio = true}},
      {"nothing selected", 3, {}, true, {.clear = true, .editAudio = true}},
      {"one MP3", 3, {"MP3"}, true,
       {.play = true, .del = true, .clear = true, .tag = true, .mail = true, .copy = true, .goTo = true,
        .editAudio = true}},
      {"one WAV: no tags", 3, {"WAV"}, true,
       {.play = true, .del = true, .clear = true, .mail = true, .copy = true, .goTo = true, .editAudio = true}},
      {"one FLAC: the editor cannot open it", 3, {"FLAC"}, true,
       {.play = true, .del = true, .clear = true, .tag = true, .mail = true, .copy = true, .goTo = true}},
      {"one TTA", 1, {"TTA"}, true, {.play = true, .del = true, .clear = true, .mail = true, .copy = true, .goTo = true}},
      {"two selected", 3, {"MP3", "WAV"}, true,
       {.del = true, .clear = true, .mail = true, .copy = true, .editAudio = true}},
      {"two, the first one the editor cannot open", 3, {"AAC", "MP3"}, true,
       {.del = true, .clear = true, .mail = true, .copy = true}},
      {"types compare exactly", 3, {"wav"}, true,
       {.play = true, .del = true, .clear = true, .tag = true, .mail = true, .copy = true, .goTo = true,
        .editAudio = true}},
      {"no editor", 3, {"MP3"}, false,
       {.play = true, .del = true, .clear = true, .tag = true, .mail = true, .copy = true, .goTo = true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ListControlStates s = ListControlStatesFor({c.rows, c.selected, c.editor, true});
    const ListControlStates& e = c.expected;
    EXPECT_EQ(s.play, e.play);
    EXPECT_EQ(s.del, e.del);
    EXPECT_EQ(s.clear, e.clear);
    EXPECT_EQ(s.tag, e.tag);
    EXPECT_EQ(s.mail, e.mail);
    EXPECT_EQ(s.copy, e.copy);
    EXPECT_EQ(s.goTo, e.goTo);
    EXPECT_EQ(s.editAudio, e.editAudio);
    EXPECT_FALSE(s.mailVisible) << "the newer device model hides Mail to";
  }
  for (const char* type : {"APE", "WV", "SPX", "TTA", "FLAC", "AAC"})
    EXPECT_FALSE(ListControlStatesFor({1, {type}, true, true}).editAudio) << type;
  for (const char* type : {"WAV", "WV", "SPX", "TTA"}) EXPECT_FALSE(ListControlStatesFor({1, {type}, true, true}).tag) << type;
  for (const char* type : {"MP3", "WMA", "OGG", "APE", "FLAC", "AAC", "MPC"})
    EXPECT_TRUE(ListControlStatesFor({1, {type}, true, true}).tag) << type;
  EXPECT_FALSE(ListControlStatesFor({1, {"MP3"}, true, true, true}).tag) << "the file being recorded";
  EXPECT_TRUE(ListControlStatesFor({1, {}, false, false}).mailVisible);
}

TEST(FileSizeText, ShowsTheSizeOfARealFile) {
  zovedu_test::ScratchDir dir;
  const struct {
    qint64 bytes;
    const char* text;
  } cases[] = {
      {0, "0 Bytes"},
      {1024, "1024 Bytes"},
      {1025, "1 KB"},
      {1048576, "1024 KB"},
      {1048577, "1 MB"},
      {Q_INT64_C(5) << 30, "5 GB"},  // sparse: no disk space needed
  };
  for (const auto& c : cases) {
    const std::string path = (dir / ("f" + std::to_string(c.bytes))).string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, c.bytes), 0);
    ::close(fd);
    EXPECT_EQ(FileSizeText(QString::fromStdString(path)), c.text);
  }
  EXPECT_EQ(FileSizeText(QString::fromStdString((dir / "missing").string())), "");
  EXPECT_EQ(FileSizeText(""), "");
  // A relative path is taken from the current folder.
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path().string())));
  EXPECT_EQ(FileSizeText("f1025"), "1 KB");
  QDir::setCurrent(before);
}

}  // namespace
