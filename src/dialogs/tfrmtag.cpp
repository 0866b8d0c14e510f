#include "dialogs/tfrmtag.h"

#include <QLabel>

#include "dialogs/font_scale.h"
#include "dialogs/typing_limit.h"
#include "services/accessible_names.h"
#include "services/message_service.h"
#include "tags/genres.h"

namespace {

QString FromUtf8(const std::string& s) { return QString::fromStdString(s); }
std::string ToUtf8(const QString& s) { return s.toStdString(); }

QLabel* Caption(QWidget* parent, const QString& text, QWidget* buddy, const QRect& r) {
  auto* l = new QLabel(text, parent);
  accessible::Caption(l, buddy);
  l->setGeometry(r);
  return l;
}

template <typename W>
W* Named(W* w, const char* name, const QRect& r) {
  w->setObjectName(QLatin1String(name));
  w->setGeometry(r);
  return w;
}

}  // namespace

Tfrmtag::Tfrmtag(MainWindowLink* link, TagReaders& readers, QWidget* owner)
    : QDialog(owner), link_(link), readers_(readers) {
  setObjectName(QStringLiteral("frmtag"));
  setWindowTitle(QStringLiteral("Tag Editor"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFont(PixelLayoutFont());
  setFixedSize(369, 278);

  gformat = Named(new QGroupBox(QStringLiteral("Tag Format"), this), "gformat", QRect(8, 4, 353, 44));
  cid3v1 = Named(new QCheckBox(QStringLiteral("ID3V1"), gformat), "cid3v1", QRect(12, 18, 90, 20));
  cid3v2 = Named(new QCheckBox(QStringLiteral("ID3V2"), gformat), "cid3v2", QRect(120, 18, 90, 20));
  capetag = Named(new QCheckBox(QStringLiteral("APE TAG"), gformat), "capetag", QRect(228, 18, 110, 20));

  etit = Named(new QLineEdit(this), "etit", QRect(72, 56, 289, 22));
  eart = Named(new QLineEdit(this), "eart", QRect(72, 82, 289, 22));
  ealb = Named(new QLineEdit(this), "ealb", QRect(72, 108, 289, 22));
  eyear = Named(new QLineEdit(this), "eyear", QRect(72, 134, 60, 22));
  egen = Named(new QComboBox(this), "egen", QRect(196, 134, 165, 22));
  ecom = Named(new QPlainTextEdit(this), "ecom", QRect(72, 162, 289, 76));
  ecom->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Caption(this, QStringLiteral("&Title:"), etit, QRect(8, 58, 62, 18));
  Caption(this, QStringLiteral("&Artist:"), eart, QRect(8, 84, 62, 18));
  Caption(this, QStringLiteral("Al&bum:"), ealb, QRect(8, 110, 62, 18));
  Caption(this, QStringLiteral("&Year:"), eyear, QRect(8, 136, 62, 18));
  Caption(this, QStringLiteral("&Genre:"), egen, QRect(140, 136, 54, 18));
  Caption(this, QStringLiteral("Co&mment:"), ecom, QRect(8, 164, 62, 18));
  LimitTyping(etit, 30);
  LimitTyping(eart, 30);
  LimitTyping(ealb, 30);
  LimitTyping(eyear, 4);
  LimitTyping(ecom, 80);

  btntag = Named(new QPushButton(QStringLiteral("&Ok"), this), "btntag", QRect(206, 246, 75, 25));
  btntag->setDefault(true);
  Button2 = Named(new QPushButton(QStringLiteral("&Cancel"), this), "Button2", QRect(286, 246, 75, 25));
  connect(btntag, &QPushButton::clicked, this, [this] {
    if (btntagClick()) accept();
  });
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
  ScaleGeometry(this, FontScale(this));
  // The MP4 record holds an index into this list; the file holds the name.
  tags::SetMp4GenreMapping([this](const std::string& n) { return GenreIndex(FromUtf8(n)); },
                           [this](std::int32_t i) {
                             return i >= 0 && i < egen->count() ? ToUtf8(egen->itemText(i)) : std::string();
                           });

  // FormCreate: the genre list in its order.
  for (std::size_t i = 0; i < tags::kGenreCount; ++i) egen->addItem(QString::fromLatin1(tags::GenreName(i)));
  showModal = [this] { return exec(); };
}

int Tfrmtag::GenreIndex(const QString& name) {
  for (int i = 0; i < egen->count(); ++i)
    if (egen->itemText(i) == name) return i;
  egen->addItem(name);
  return egen->count() - 1;
}

void Tfrmtag::FillFields(const TagValues& v, bool withGenre) {
  etit->setText(FromUtf8(v.title));
  eart->setText(FromUtf8(v.artist));
  ealb->setText(FromUtf8(v.album));
  eyear->setText(FromUtf8(v.year));
  if (withGenre) egen->setCurrentIndex(GenreIndex(FromUtf8(v.genre)));
  QString comment = FromUtf8(v.comment);
  comment.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  SetTextUnlimited(ecom, comment);
}

TagValues Tfrmtag::CollectFields() const {
  // The memo's lines end in CR LF, the last one with no line end.
  QString comment = ecom->toPlainText();
  comment.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return {ToUtf8(etit->text()), ToUtf8(eart->text()),   ToUtf8(ealb->text()),
          ToUtf8(eyear->text()), ToUtf8(egen->currentText()), ToUtf8(comment)};
}

Tfrmtag::~Tfrmtag() { tags::SetMp4GenreMapping({}, {}); }

void Tfrmtag::OpenTagEditor(const std::string& fullPath, const QString& name, const QString& type) {
  if (link_ && link_->IsStayOnTop()) {
    link_->SetStayOnTop(false);
    restoreStayOnTop_ = true;
  }
  FSaveKind = TagSaveKind::None;
  for (QCheckBox* box : {capetag, cid3v1, cid3v2}) {
    box->setEnabled(false);
    box->setChecked(false);
  }
  egen->setCurrentIndex(-1);
  // The fields start empty, so that no value of the file edited before can
  // be written into this one.
  FillFields({}, false);

  const OpenedTags opened = ReadTagsForEditing(readers_, fullPath, type.toStdString());
  if (!opened.show && type == QLatin1String("AAC")) {
    LoadMp4Tags(fullPath, name);
    return;
  }
  ShowOpened(opened, fullPath, name);
}

void Tfrmtag::LoadMp4Tags(const std::string& fullPath, const QString& name) {
  const OpenedTags opened = ReadMp4TagsForEditing(readers_, fullPath);
  ShowOpened(opened, fullPath, name);
  tags::CloseMp4();
}

void Tfrmtag::ShowOpened(const OpenedTags& opened, const std::string& fullPath, const QString& name) {
  if (!opened.show) {
    FormClose();
    return;
  }
  if (!opened.error.empty()) Messages().show(MsgKind::Error, FromUtf8(opened.error), MsgButtons::Ok);
  const std::pair<QCheckBox*, TagBox> boxes[] = {{cid3v1, opened.id3v1}, {cid3v2, opened.id3v2}, {capetag, opened.ape}};
  for (const auto& [box, state] : boxes) {
    box->setEnabled(state.enabled);
    box->setChecked(state.checked);
  }
  if (opened.values) FillFields(*opened.values, !opened.mp4Genre);
  if (opened.mp4Genre) egen->setCurrentIndex(*opened.mp4Genre < egen->count() ? *opened.mp4Genre : -1);
  FSaveKind = opened.kind;
  tagPath_ = fullPath;
  FTagFile = FromUtf8(fullPath);
  setWindowTitle(QStringLiteral("Tag Editor ") + name);
  showModal();
}

bool Tfrmtag::btntagClick() {
  // A format with tag kinds to choose from saves nothing without a choice:
  // saying so keeps what was typed, where closing would lose it.
  QStringList offered;
  bool chosen = false;
  for (QCheckBox* box : {cid3v1, cid3v2, capetag}) {
    if (!box->isEnabled()) continue;
    offered << box->text();
    chosen = chosen || box->isChecked();
  }
  const bool choiceNeeded = FSaveKind == TagSaveKind::Mp3 || FSaveKind == TagSaveKind::Ape ||
                            FSaveKind == TagSaveKind::Aac || FSaveKind == TagSaveKind::Mpc;
  if (choiceNeeded && !offered.isEmpty() && !chosen) {
    Messages().show(MsgKind::Information,
                    QStringLiteral("No tag format is chosen: check %1 to save the tags.")
                        .arg(offered.join(QStringLiteral(" or "))),
                    MsgButtons::Ok);
    return false;
  }
  TagSaveRequest request;
  request.kind = FSaveKind;
  request.values = CollectFields();
  request.id3v1 = cid3v1->isChecked();
  request.id3v2 = cid3v2->isChecked();
  request.ape = capetag->isChecked();
  request.mp4Genre = egen->currentIndex();
  for (const std::string& failure : SaveEditedTags(readers_, tagPath_, request))
    Messages().show(MsgKind::Error, FromUtf8(failure), MsgButtons::Ok);
  return true;
}

void Tfrmtag::FormClose() {
  if (restoreStayOnTop_ && link_) link_->SetStayOnTop(true);
  restoreStayOnTop_ = false;
  if (FSaveKind == TagSaveKind::Mp4) tags::CloseMp4();
}

void Tfrmtag::done(int r) {
  FormClose();
  QDialog::done(r);
}
