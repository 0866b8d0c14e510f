// The wizard's pages and controls.
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <pwd.h>
#include <unistd.h>

#include "schedule/ui/tnewtaskwizard.h"
#include "schedule/ui/trigger_panels.h"
#include "schedule/ui/wizard_picture.h"
#include "services/accessible_names.h"
#include "services/named_control.h"

namespace {

// Sentences wrap; a short caption keeps one line, so that the layout keeps
// room for all of it.
QLabel* Text(const char* text, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setWordWrap(label->text().size() > 40);
  return label;
}

// A row that starts with a caption makes it the caption of the field after it.
QHBoxLayout* Row(std::initializer_list<QWidget*> widgets) {
  auto* row = new QHBoxLayout;
  for (QWidget* w : widgets) row->addWidget(w);
  if (widgets.size() < 2) return row;
  auto* caption = qobject_cast<QLabel*>(*widgets.begin());
  QWidget* field = *(widgets.begin() + 1);
  if (caption && !caption->text().isEmpty() && !qobject_cast<QLabel*>(field) && !qobject_cast<QAbstractButton*>(field))
    accessible::Caption(caption, field);
  return row;
}

QString LoggedOnUser() {
  if (const passwd* pw = getpwuid(geteuid())) return QString::fromLocal8Bit(pw->pw_name);
  return qEnvironmentVariable("USER");
}

}  // namespace

void TNewTaskWizard::BuildPages() {
  setWindowTitle(QStringLiteral("Scheduled task wizard"));
  pages = Named(new QStackedWidget(this), "pages");

  tsStartPage = Named(new QWidget(pages), "tsStartPage");
  {
    auto* v = new QVBoxLayout(tsStartPage);
    auto* title = Text("This wizard helps you to schedule a Recording task for Zovedu", tsStartPage);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    v->addWidget(title);
    v->addWidget(Text("You set options for recording's task,then Zovedu will run it for a convenient time.",
                      tsStartPage));
    v->addStretch();
    v->addWidget(Text("Click Next to continue.", tsStartPage));
  }
  tsCustomData = BuildCustomData();
  tsTaskName = BuildTaskName();

  tsTriggerDetails = Named(new QWidget(pages), "tsTriggerDetails");
  triggerPanels = Named(new TriggerPanels(tsTriggerDetails), "triggerPanels");
  (new QVBoxLayout(tsTriggerDetails))->addWidget(triggerPanels);

  tsAccountInfo = BuildAccountInfo();
  tsFinished = BuildFinished();
  for (QWidget* page : {tsStartPage, tsCustomData, tsTaskName, tsTriggerDetails, tsAccountInfo, tsFinished})
    pages->addWidget(page);

  btnBack = Named(new QPushButton(QStringLiteral("< &Back"), this), "btnBack");
  btnNext = Named(new QPushButton(QStringLiteral("&Next >"), this), "btnNext");
  btnCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "btnCancel");
  btnNext->setDefault(true);

  auto* picture = Named(new QLabel(this), "Image1");
  picture->setPixmap(WizardPicture(QSize(120, 300)));
  picture->setAlignment(Qt::AlignTop);

  auto* body = new QHBoxLayout;
  body->addWidget(picture);
  body->addWidget(pages, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnBack);
  buttons->addWidget(btnNext);
  buttons->addSpacing(8);
  buttons->addWidget(btnCancel);
  auto* all = new QVBoxLayout(this);
  all->addLayout(body, 1);
  all->addLayout(buttons);
  resize(560, 380);
}

QWidget* TNewTaskWizard::BuildCustomData() {
  auto* page = Named(new QWidget(pages), "tsCustomData");
  recordsettingcom = Named(new QComboBox(page), "recordsettingcom");
  recordsettingcom->addItems({QStringLiteral("Use Recorder's Settings"), QStringLiteral("Customer Set Settings")});

  auto* group = Named(new QGroupBox(QStringLiteral("User Set"), page), "GroupBox1");
  Eoutput = Named(new QLineEdit(group), "Eoutput");
  btnsavefile = Named(new QPushButton(QStringLiteral("..."), group), "btnsavefile");
  btnsavefile->setToolTip(QStringLiteral("Select Save File Name"));
  formatcom = Named(new QComboBox(group), "formatcom");
  btnsettings = Named(new QPushButton(QStringLiteral("Settings"), group), "btnsettings");
  sourcecom = Named(new QComboBox(group), "sourcecom");
  barrecvolume = Named(new QSlider(Qt::Horizontal, group), "barrecvolume");
  barrecvolume->setRange(0, 100);
  lrecvolume = Named(new QLabel(group), "lrecvolume");
  ctimestop = Named(new QCheckBox(QStringLiteral("Stop recording after "), group), "ctimestop");
  estoptime = Named(new QLineEdit(QStringLiteral("60"), group), "estoptime");
  estoptime->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), estoptime));
  cadditionaltask = Named(new QCheckBox(QStringLiteral("Additional Task"), group), "cadditionaltask");
  eapp = Named(new QLineEdit(group), "eapp");
  Button1 = Named(new QPushButton(QStringLiteral("..."), group), "Button1");
  epar = Named(new QLineEdit(group), "epar");

  auto* g = new QVBoxLayout(group);
  g->addLayout(Row({Text("OutPut File:", group), Eoutput, btnsavefile}));
  g->addLayout(Row({Text("Output Format:", group), formatcom, btnsettings}));
  g->addLayout(Row({Text("Source From:", group), sourcecom}));
  g->addLayout(Row({lrecvolume, barrecvolume}));
  accessible::Name(barrecvolume, QStringLiteral("Record volume"));
  accessible::Name(estoptime, QStringLiteral("Stop recording after seconds"));
  accessible::NameFromHint(btnsavefile);
  accessible::Name(btnsettings, QStringLiteral("Output format settings"));
  accessible::Name(Button1, QStringLiteral("Choose the application"));
  g->addLayout(Row({ctimestop, estoptime, Text("Seconds", group)}));
  g->addLayout(Row({cadditionaltask, Text("(for example open our web site)", group)}));
  g->addLayout(Row({Text("Application:", group), eapp, Button1}));
  g->addLayout(Row({Text("Parameters:", group), epar}));

  auto* v = new QVBoxLayout(page);
  v->addLayout(Row({Text("Record Settings:", page), recordsettingcom}));
  v->addWidget(group);
  return page;
}

QWidget* TNewTaskWizard::BuildTaskName() {
  auto* page = Named(new QWidget(pages), "tsTaskName");
  edtTaskName = Named(new QLineEdit(page), "edtTaskName");
  rbDaily = Named(new QRadioButton(QStringLiteral("Daily"), page), "rbDaily");
  rbWeekly = Named(new QRadioButton(QStringLiteral("Weekly"), page), "rbWeekly");
  rbMonthly = Named(new QRadioButton(QStringLiteral("Monthly"), page), "rbMonthly");
  rbOneTime = Named(new QRadioButton(QStringLiteral("One-time only"), page), "rbOneTime");
  rbStartup = Named(new QRadioButton(QStringLiteral("When my computer starts"), page), "rbStartup");
  rbLogon = Named(new QRadioButton(QStringLiteral("When I log on"), page), "rbLogon");
  const std::pair<QRadioButton*, int> tags[] = {{rbDaily, 1}, {rbWeekly, 2}, {rbMonthly, 3},
                                                {rbOneTime, 0}, {rbStartup, 6}, {rbLogon, 7}};
  auto* v = new QVBoxLayout(page);
  auto* nameCaption =
      Text("&Type a name for this task.  The task name can be the same name as the program name.", page);
  v->addWidget(nameCaption);
  v->addWidget(edtTaskName);
  accessible::Caption(nameCaption, edtTaskName);
  accessible::Name(edtTaskName, QStringLiteral("Task name"), nameCaption->text().remove(QLatin1Char('&')));
  v->addWidget(Text("Perform this task:", page));
  for (const auto& [button, tag] : tags) {
    button->setProperty("tag", tag);
    v->addWidget(button);
  }
  v->addStretch();
  return page;
}

QWidget* TNewTaskWizard::BuildAccountInfo() {
  auto* page = Named(new QWidget(pages), "tsAccountInfo");
  edtAccount = Named(new QLineEdit(LoggedOnUser(), page), "edtAccount");
  edtPassword1 = Named(new QLineEdit(page), "edtPassword1");
  edtPassword2 = Named(new QLineEdit(page), "edtPassword2");
  for (QLineEdit* e : {edtPassword1, edtPassword2}) e->setEchoMode(QLineEdit::Password);
  auto* v = new QVBoxLayout(page);
  v->addWidget(Text("Enter the name and password of a user.  The task will run as if it was started by that user.",
                    page));
  v->addLayout(Row({Text("Enter the user n&ame:", page), edtAccount}));
  v->addLayout(Row({Text("Enter the &password:", page), edtPassword1}));
  v->addLayout(Row({Text("&Confirm password:", page), edtPassword2}));
  v->addStretch();
  return page;
}

QWidget* TNewTaskWizard::BuildFinished() {
  auto* page = Named(new QWidget(pages), "tsFinished");
  lblTaskResult = Named(new QLabel(page), "lblTaskResult");
  lblTaskNextTime = Named(new QLabel(page), "lblTaskNextTime");
  lblTaskNextTime->setWordWrap(true);
  btnAdvanced = Named(new QPushButton(QStringLiteral("&Advanced..."), page), "btnAdvanced");
  auto* v = new QVBoxLayout(page);
  v->addWidget(Text("You have successfully scheduled the following task:", page));
  v->addWidget(lblTaskResult);
  v->addWidget(Text("Windows will perform this task:", page));
  v->addWidget(lblTaskNextTime);
  v->addStretch();
  v->addLayout(Row({Text("Click Advanced to set up additional properties for this task.", page), btnAdvanced}));
  v->addWidget(Text("Click Finish to add this task to your schedule.", page));
  return page;
}
