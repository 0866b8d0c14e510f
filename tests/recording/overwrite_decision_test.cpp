// Choosing the next output name and settling an existing file of that name,
// against fake file sources: a set of existing names and a queue of answers.
#include <gtest/gtest.h>

#include <deque>
#include <set>

#include <QStringList>

#include "recording/overwrite_decision.h"

namespace {

const QString kFolder = "/rec/";

QString Numbered(int number) { return kFolder + QString("Take-%1.wav").arg(number); }

// Fake sources that log every call in order.
class OverwriteDecisionTest : public ::testing::Test {
 protected:
  OutputNameSources Sources() {
    OutputNameSources s;
    s.numberedName = [this](int number) {
      log_ << QString("name %1").arg(number);
      return numbered_(number);
    };
    s.exists = [this](const QString& path) { return existing_.count(path) > 0; };
    s.remove = [this](const QString& path) {
      log_ << "remove " + path;
      existing_.erase(path);
      return true;
    };
    s.beforeAsking = [this] { log_ << "before asking"; };
    s.ask = [this](const QString& question) {
      log_ << "ask " + question;
      EXPECT_FALSE(answers_.empty()) << "unexpected question: " << question.toStdString();
      if (answers_.empty()) return MsgAnswer::Cancel;
      const MsgAnswer a = answers_.front();
      answers_.pop_front();
      return a;
    };
    return s;
  }
  static QString Ask(const QString& fileName) {
    return "ask " + fileName + " have existed. overwrite it?";
  }

  std::function<QString(int)> numbered_ = Numbered;
  std::set<QString> existing_;
  std::deque<MsgAnswer> answers_;
  QStringList log_;
};

TEST(OverwriteQuestion, NamesTheFileWithoutItsFolder) {
  EXPECT_EQ(OverwriteQuestion("/home/u/rec/2024/Take-07.wav"),
            "Take-07.wav have existed. overwrite it?");
  EXPECT_EQ(OverwriteQuestion("Take.mp3"), "Take.mp3 have existed. overwrite it?");
}

TEST_F(OverwriteDecisionTest, FreeNameIsTakenWithoutAQuestion) {
  existing_ = {Numbered(5)};  // an older file with another number is no concern
  const OutputNameDecision d = DecideOutputName(6, Sources());
  EXPECT_TRUE(d.accepted);
  EXPECT_EQ(d.path, Numbered(7));
  EXPECT_EQ(d.counter, 7);
  EXPECT_FALSE(d.wizardNameUsed);
  EXPECT_EQ(log_, QStringList{"name 7"});
}

TEST_F(OverwriteDecisionTest, AnswersToAnExistingFile) {
  struct Case {
    const char* what;
    bool removeExisting;
    MsgAnswer answer;
    bool accepted, removed;
  };
  const Case cases[] = {
      {"yes", false, MsgAnswer::Yes, true, false},
      {"yes, writer cannot replace", true, MsgAnswer::Yes, true, true},
      // A box closed without a choice (the program ending under it) never
      // lets the file be replaced: the recording does not start.
      {"no choice", false, MsgAnswer::None, false, false},
      {"no choice, writer cannot replace", true, MsgAnswer::None, false, false},
      {"ok", true, MsgAnswer::Ok, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    log_.clear();
    existing_ = {Numbered(3)};
    answers_ = {c.answer};
    OutputNameSources s = Sources();
    s.removeExisting = c.removeExisting;
    const OutputNameDecision d = DecideOutputName(2, s);
    EXPECT_EQ(d.accepted, c.accepted);
    if (c.accepted) {
      EXPECT_EQ(d.path, Numbered(3));
    }
    EXPECT_EQ(d.counter, c.accepted ? 3 : 2);
    QStringList expected{"name 3", "before asking", Ask("Take-3.wav")};
    if (c.removed) expected << "remove " + Numbered(3);
    EXPECT_EQ(log_, expected);
  }
}

TEST_F(OverwriteDecisionTest, NoTakesTheNextNumberUntilAFreeOne) {
  existing_ = {Numbered(1), Numbered(2)};
  answers_ = {MsgAnswer::No, MsgAnswer::No};
  const OutputNameDecision d = DecideOutputName(0, Sources());
  EXPECT_TRUE(d.accepted);
  EXPECT_EQ(d.path, Numbered(3));
  EXPECT_EQ(d.counter, 3);
  EXPECT_EQ(log_, (QStringList{"name 1", "before asking", Ask("Take-1.wav"), "name 2",
                               "before asking", Ask("Take-2.wav"), "name 3"}));
}

TEST_F(OverwriteDecisionTest, CancelLeavesTheCounterBeforeTheQuestionsNumber) {
  struct Case {
    const char* what;
    std::deque<MsgAnswer> answers;
    int counter;
  };
  // Starting at 10: the first question is about 11.
  const Case cases[] = {
      {"at once", {MsgAnswer::Cancel}, 10},
      {"after one no", {MsgAnswer::No, MsgAnswer::Cancel}, 11},
      {"after two noes", {MsgAnswer::No, MsgAnswer::No, MsgAnswer::Cancel}, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    log_.clear();
    existing_ = {Numbered(11), Numbered(12), Numbered(13)};
    answers_ = c.answers;
    OutputNameSources s = Sources();
    s.removeExisting = true;
    const OutputNameDecision d = DecideOutputName(10, s);
    EXPECT_FALSE(d.accepted);
    EXPECT_EQ(d.counter, c.counter);
    EXPECT_TRUE(answers_.empty());
    EXPECT_FALSE(log_.join('\n').contains("remove"));
    EXPECT_EQ(existing_.size(), 3u);
  }
}

TEST_F(OverwriteDecisionTest, WithoutNumbersNoAsksAgainAboutTheSameName) {
  const QString single = kFolder + "Take.wav";
  numbered_ = [single](int) { return single; };
  existing_ = {single};
  answers_ = {MsgAnswer::No, MsgAnswer::No, MsgAnswer::Yes};
  const OutputNameDecision d = DecideOutputName(4, Sources());
  EXPECT_TRUE(d.accepted);
  EXPECT_EQ(d.path, single);
  EXPECT_EQ(d.counter, 7);
  EXPECT_EQ(log_.filter("ask ").size(), 3);
  EXPECT_EQ(log_.filter("before asking").size(), 3);

  log_.clear();
  answers_ = {MsgAnswer::No, MsgAnswer::Cancel};
  const OutputNameDecision cancelled = DecideOutputName(4, Sources());
  EXPECT_FALSE(cancelled.accepted);
  EXPECT_EQ(cancelled.counter, 5);
}

TEST_F(OverwriteDecisionTest, WizardNameReplacesTheNumberedOne) {
  const QString wizard = "/chosen/Interview.wav";
  {
    SCOPED_TRACE("free");
    OutputNameSources s = Sources();
    s.wizardName = wizard;
    const OutputNameDecision d = DecideOutputName(0, s);
    EXPECT_TRUE(d.accepted);
    EXPECT_EQ(d.path, wizard);
    EXPECT_EQ(d.counter, 1);
    EXPECT_TRUE(d.wizardNameUsed);
    EXPECT_EQ(log_, QStringList{"name 1"});  // the numbered name's folders are still made
  }
  {
    SCOPED_TRACE("exists, yes");
    log_.clear();
    existing_ = {wizard};
    answers_ = {MsgAnswer::Yes};
    OutputNameSources s = Sources();
    s.wizardName = wizard;
    const OutputNameDecision d = DecideOutputName(0, s);
    EXPECT_TRUE(d.accepted);
    EXPECT_EQ(d.path, wizard);
    EXPECT_TRUE(d.wizardNameUsed);
    EXPECT_TRUE(log_.contains(Ask("Interview.wav")));
  }
  {
    SCOPED_TRACE("exists, no: numbered names from then on");
    log_.clear();
    existing_ = {wizard, Numbered(2)};
    answers_ = {MsgAnswer::No, MsgAnswer::No};
    OutputNameSources s = Sources();
    s.wizardName = wizard;
    const OutputNameDecision d = DecideOutputName(0, s);
    EXPECT_TRUE(d.accepted);
    EXPECT_EQ(d.path, Numbered(3));
    EXPECT_EQ(d.counter, 3);
    EXPECT_FALSE(d.wizardNameUsed);
    EXPECT_EQ(log_, (QStringList{"name 1", "before asking", Ask("Interview.wav"), "name 2",
                                 "before asking", Ask("Take-2.wav"), "name 3"}));
  }
}

TEST_F(OverwriteDecisionTest, ScheduledRunNeverAsks) {
  const QString scheduled = "/sched/Morning.wav";
  struct Case {
    const char* what;
    bool exists;
    bool withWizard;
  };
  const Case cases[] = {
      {"free", false, false},
      {"exists", true, false},
      {"exists, wizard name set too", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    log_.clear();
    existing_.clear();
    if (c.exists) existing_ = {scheduled, "/chosen/Interview.wav", Numbered(9)};
    OutputNameSources s = Sources();
    s.scheduledName = scheduled;
    if (c.withWizard) s.wizardName = "/chosen/Interview.wav";
    const OutputNameDecision d = DecideOutputName(8, s);
    EXPECT_TRUE(d.accepted);
    EXPECT_EQ(d.path, scheduled);
    EXPECT_EQ(d.counter, 9);
    EXPECT_EQ(log_, QStringList{"name 9"});  // no question, nothing removed
  }
}

TEST_F(OverwriteDecisionTest, AlwaysOverwriteNeverAsks) {
  struct Case {
    const char* what;
    bool exists;
    bool removeExisting;
    bool scheduled;
    bool removed;
  };
  const Case cases[] = {
      {"exists", true, false, false, false},
      {"exists, writer cannot replace", true, true, false, true},
      {"free, writer cannot replace", false, true, false, false},
      {"scheduled, writer cannot replace", true, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    log_.clear();
    const QString target = c.scheduled ? "/sched/Morning.wav" : Numbered(1);
    existing_.clear();
    if (c.exists) existing_ = {target};
    OutputNameSources s = Sources();
    s.alwaysOverwrite = true;
    s.removeExisting = c.removeExisting;
    if (c.scheduled) s.scheduledName = target;
    const OutputNameDecision d = DecideOutputName(0, s);
    EXPECT_TRUE(d.accepted);
    EXPECT_EQ(d.path, target);
    EXPECT_EQ(d.counter, 1);
    QStringList expected{"name 1"};
    if (c.removed) expected << "remove " + target;
    EXPECT_EQ(log_, expected);
  }
}

}  // namespace
