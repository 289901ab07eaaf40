#include "ui/generators/ImageMapForm.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/app/FileDialogs.h"
#include "ui/app/MessageBox.h"
#include "ui/generators/GeneratorIcons.h"
#include "ui/generators/ImageMapCanvas.h"

namespace tervil {

namespace {

enum TShapeButton { kPolygon, kRectangle, kCircle, kEdit };

std::string Std(const QString& text) {
  return text.toStdString();
}

QString Qt(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

TImageMapForm::TImageMapForm(const QString& directory, QWidget* parent)
    : QDialog(parent), directory_(directory) {
  setObjectName("ImageMapForm");
  setWindowTitle(tr("Image Map Creator"));
  auto* tools = new QHBoxLayout;
  auto* open = new QPushButton(QIcon::fromTheme("document-open"), tr("Open"), this);
  auto* reset = new QPushButton(QIcon::fromTheme("view-refresh"), tr("Reset"), this);
  for (QPushButton* button : {open, reset}) {
    button->setAutoDefault(false);
    tools->addWidget(button);
  }
  connect(open, &QPushButton::clicked, this, &TImageMapForm::OpenClick);
  connect(reset, &QPushButton::clicked, this, &TImageMapForm::ResetClick);
  tools->addSpacing(12);

  shapes_ = new QButtonGroup(this);
  shapes_->setExclusive(true);
  const struct {
    QString text;
    const char* icon;
    QString hint;
  } shapeButtons[] = {
      {tr("Polygon"), "draw-polygon", tr("Polygon")},
      {tr("Rectangle"), "draw-rectangle", tr("Rectangle")},
      {tr("Circle"), "draw-circle", tr("Circle")},
      {tr("Move and Edit"), "transform-move", tr("Move an area, or drag one of its points")},
  };
  for (int id = kPolygon; id <= kEdit; ++id) {
    QAbstractButton* button =
        AddToolButton(shapeButtons[id].text, shapeButtons[id].icon, shapeButtons[id].hint);
    button->setCheckable(true);
    button->setEnabled(false);
    shapes_->addButton(button, id);
    shapeButtons_ << button;
    tools->addWidget(button);
  }
  shapes_->button(kPolygon)->setChecked(true);
  connect(shapes_, &QButtonGroup::idClicked, this, [this](int id) {
    Image1->SetEditing(id == kEdit);
    if (id != kEdit) Image1->Drawing().SetShape(static_cast<TMapShape>(id));
  });
  tools->addSpacing(12);
  QAbstractButton* zoomOut = AddToolButton(tr("Zoom Out"), "zoom-out", tr("Zoom out"));
  QAbstractButton* zoomIn = AddToolButton(tr("Zoom In"), "zoom-in", tr("Zoom in"));
  QAbstractButton* actual = AddToolButton(tr("Actual Size"), "zoom-original", tr("Actual size"));
  zoomOut->setShortcut(QKeySequence::ZoomOut);
  zoomIn->setShortcut(QKeySequence::ZoomIn);
  actual->setShortcut(QKeySequence("Ctrl+0"));
  zoomLabel_ = new QLabel("100%", this);
  zoomLabel_->setObjectName("ZoomLabel");
  for (QWidget* w : {static_cast<QWidget*>(zoomOut), static_cast<QWidget*>(zoomIn),
                     static_cast<QWidget*>(actual), static_cast<QWidget*>(zoomLabel_)})
    tools->addWidget(w);
  tools->addStretch();

  Image1 = new TImageMapCanvas(this);
  scroll_ = new QScrollArea(this);
  scroll_->setWidget(Image1);
  scroll_->setMinimumSize(480, 320);
  scroll_->setBackgroundRole(QPalette::Dark);
  connect(zoomOut, &QAbstractButton::clicked, this, [this] {
    Image1->ZoomOut();
    ZoomChanged();
  });
  connect(zoomIn, &QAbstractButton::clicked, this, [this] {
    Image1->ZoomIn();
    ZoomChanged();
  });
  connect(actual, &QAbstractButton::clicked, this, [this] {
    Image1->SetZoom(1.0);
    ZoomChanged();
  });
  Image1->OnAreaFinished = [this](const std::string& line) { Memo1->appendPlainText(Qt(line)); };
  Image1->OnAreaChanged = [this](int index, const TMapArea& area) {
    const QTextBlock block = Memo1->document()->findBlockByNumber(index);
    if (block.isValid()) ReplaceAreaLine(index, Qt(WithCoords(Std(block.text()), area)));
  };
  Image1->OnDrawingChanged = [this] {
    DrawingChanged();
    ZoomChanged();
  };

  Label4 = new QLabel(this);
  Label4->setObjectName("Label4");
  label5 = new QLabel(this);
  label5->setObjectName("label5");
  for (QLabel* label : {Label4, label5}) {
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setMaximumHeight(120);
  connect(Memo1, &QPlainTextEdit::textChanged, this, &TImageMapForm::AreaListChanged);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* insert = buttons->addButton(tr("Insert"), QDialogButtonBox::AcceptRole);
  buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
  insert->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &TImageMapForm::Insert);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(tools);
  layout->addWidget(scroll_, 1);
  layout->addWidget(Label4);
  layout->addWidget(Memo1);
  layout->addWidget(label5);
  layout->addWidget(buttons);
  resize(720, 600);
}

QAbstractButton* TImageMapForm::AddToolButton(const QString& text, const char* icon,
                                              const QString& hint) {
  auto* button = new QToolButton(this);
  button->setText(text);
  button->setIcon(GeneratorIcon(icon));
  button->setToolButtonStyle(button->icon().isNull() ? Qt::ToolButtonTextOnly
                                                     : Qt::ToolButtonIconOnly);
  button->setToolTip(hint);
  button->setAutoRaise(true);
  return button;
}

QStringList TImageMapForm::PictureFilters() {
  QStringList all;
  for (const QByteArray& suffix : QImageReader::supportedImageFormats())
    all << "*." + QString::fromLatin1(suffix).toLower();
  all.removeDuplicates();
  return {tr("All pictures (%1)").arg(all.join(' ')),    tr("CompuServe GIF Image (*.gif)"),
          tr("JPEG Image File (*.jpg *.jpeg)"),          tr("Bitmaps (*.bmp)"),
          tr("Portable Network Graphics (*.png)"),       tr("WebP Image (*.webp)"),
          tr("Scalable Vector Graphics (*.svg *.svgz)"), tr("All files (*)")};
}

void TImageMapForm::OpenClick() {
  const QStringList chosen = TFileDialogs::Open(this, directory_, PictureFilters());
  if (!chosen.isEmpty()) OpenPicture(chosen.first());
}

void TImageMapForm::ResetClick() {
  if (!chosenFile_.isEmpty() && QFileInfo::exists(chosenFile_)) OpenPicture(chosenFile_);
}

// Qt refuses pictures above 128 MB of pixels by default; photographs of 50 megapixels and more
// are ordinary input here, so the limit is raised to 1 GB (about 250 megapixels).
bool TImageMapForm::OpenPicture(const QString& path) {
  constexpr int kPictureLimitMegabytes = 1024;
  QImageReader::setAllocationLimit(
      std::max(QImageReader::allocationLimit(), kPictureLimitMegabytes));
  QImageReader reader(path);
  reader.setAutoTransform(true);
  const QImage picture = reader.read();
  if (picture.isNull()) {
    TMessageBox::Error(this, tr("The picture \"%1\" cannot be opened: %2")
                                 .arg(QFileInfo(path).fileName(), reader.errorString()));
    return false;
  }
  chosenFile_ = path;
  directory_ = QFileInfo(path).absolutePath();
  Image1->SetPicture(picture);
  Memo1->clear();
  const std::string fileName = Std(QFileInfo(path).fileName());
  Label4->setText(Qt(MapStartTag(fileName)));
  label5->setText(Qt(MapEndPreview(fileName)));
  Image1->setEnabled(true);
  DrawingChanged();
  ZoomChanged();
  return true;
}

void TImageMapForm::AreaListChanged() {
  std::vector<std::optional<TMapArea>> areas;
  for (const std::string& line : SplitAreaLines(Std(Memo1->toPlainText())))
    areas.push_back(ParseArea(line));
  Image1->SetAreas(std::move(areas));
}

void TImageMapForm::ReplaceAreaLine(int index, const QString& line) {
  QTextCursor cursor(Memo1->document()->findBlockByNumber(index));
  cursor.movePosition(QTextCursor::StartOfBlock);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  if (cursor.selectedText() != line) cursor.insertText(line);
}

// The shape buttons work only with a picture, and not while a shape is in progress.
void TImageMapForm::DrawingChanged() {
  const bool enabled = Image1->HasPicture() && !Image1->Drawing().Drawing();
  for (QAbstractButton* button : shapeButtons_) button->setEnabled(enabled);
}

void TImageMapForm::ZoomChanged() {
  zoomLabel_->setText(QString::number(qRound(Image1->Zoom() * 100)) + "%");
}

void TImageMapForm::Insert() {
  const std::string fileName = Std(QFileInfo(chosenFile_).fileName());
  const QSize size = Image1->PictureSize().expandedTo({0, 0});
  const std::string map =
      AssembleMap(fileName, SplitAreaLines(Std(Memo1->toPlainText())), size.width(), size.height());
  label5->setText(Qt(MapEndTag(fileName, size.width(), size.height())));
  result_ = Qt(map);
  accept();
}

}  // namespace tervil
