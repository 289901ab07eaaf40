#include "ui/printing/PageSetupDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/editcomponent/Highlighter.h"
#include "ui/app/MessageBox.h"

namespace tervil {

namespace {

QColor ToQColor(TColor color) {
  return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}
TColor FromQColor(const QColor& c) {
  return MakeColor(c.red(), c.green(), c.blue());
}

QFont ToQFont(const TPrintFont& font) {
  QFont f(QString::fromStdString(font.name), font.size);
  f.setBold(font.style & fsBold);
  f.setItalic(font.style & fsItalic);
  f.setUnderline(font.style & fsUnderline);
  f.setStrikeOut(font.style & fsStrikeOut);
  return f;
}

TPrintFont FromQFont(const QFont& f, TColor color) {
  TPrintFont font;
  font.name = f.family().toStdString();
  font.size = f.pointSize() > 0 ? f.pointSize() : 10;
  font.style = (f.bold() ? fsBold : 0) | (f.italic() ? fsItalic : 0) |
               (f.underline() ? fsUnderline : 0) | (f.strikeOut() ? fsStrikeOut : 0);
  font.color = color;
  return font;
}

void SetSwatch(QPushButton* swatch, const QColor& color) {
  swatch->setStyleSheet("background-color:" + color.name() + ";");
}

// Selects the whole line of the caret.
QTextCursor LineCursor(QTextEdit* box) {
  QTextCursor cursor = box->textCursor();
  cursor.movePosition(QTextCursor::StartOfBlock);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  return cursor;
}

}  // namespace

TPageSetupDlg::TPageSetupDlg(TPrintSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setWindowTitle(tr("Page Setup"));
  auto* layout = new QVBoxLayout(this);
  Pages = new QTabWidget(this);
  Pages->addTab(MakeMarginsPage(), tr("Margins && Options"));
  Pages->addTab(MakeHeaderFooterPage(), tr("Header && Footer"));
  layout->addWidget(Pages);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &TPageSetupDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TPageSetupDlg::reject);
  layout->addWidget(buttons);
}

QWidget* TPageSetupDlg::MakeMarginsPage() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  CBUnits = new QComboBox(page);
  for (TMarginUnits units : {TMarginUnits::Millimeters, TMarginUnits::Centimeters,
                             TMarginUnits::Inches, TMarginUnits::Thousandths})
    CBUnits->addItem(tr(MarginUnitsCaption(units)));
  form->addRow(tr("Units:"), CBUnits);
  for (const QString& caption : {tr("Left:"), tr("Right:"), tr("Top:"), tr("Bottom:"), tr("Gutter"),
                                 tr("Header:"), tr("Footer:"), tr("HFInternalMargin:"),
                                 tr("LeftHFTextIndent:"), tr("RightHFTextIndent:")}) {
    auto* field = new QLineEdit(page);
    MarginFields << field;
    form->addRow(caption, field);
  }
  CBMirrorMargins = new QCheckBox(tr("Mirror margins"), page);
  CBLineNumbers = new QCheckBox(tr("Line numbers"), page);
  CBLineNumbersInMargin = new QCheckBox(tr("Print line numbers in margin"), page);
  CBHighlight = new QCheckBox(tr("Syntax print"), page);
  CBColors = new QCheckBox(tr("Use colors"), page);
  CBWrap = new QCheckBox(tr("Wrap lines"), page);
  for (QCheckBox* box :
       {CBMirrorMargins, CBLineNumbers, CBLineNumbersInMargin, CBHighlight, CBColors, CBWrap})
    form->addRow(box);
  connect(CBUnits, &QComboBox::currentIndexChanged, this, &TPageSetupDlg::UnitsChanged);
  return page;
}

QWidget* TPageSetupDlg::MakeHeaderFooterPage() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  auto* toolbar = new QToolBar(page);
  layout->addWidget(toolbar);
  auto tool = [this, toolbar](const char* icon, const QString& hint, auto run) {
    QAction* action = toolbar->addAction(QIcon::fromTheme(icon), hint);
    action->setToolTip(hint);
    connect(action, &QAction::triggered, this, run);
    ToolActions << action;
  };
  tool("gnumeric-pagesetup-hf-page", tr("Page number"), [this] { InsertMacro("$PAGENUM$"); });
  tool("gnumeric-pagesetup-hf-pages", tr("Num. pages"), [this] { InsertMacro("$PAGECOUNT$"); });
  tool("gnumeric-pagesetup-hf-time", tr("Time"), [this] { InsertMacro("$TIME$"); });
  tool("view-calendar-day", tr("Date"), [this] { InsertMacro("$DATE$"); });
  tool("text-field", tr("Title"), [this] { InsertMacro("$TITLE$"); });
  tool("preferences-desktop-font", tr("Font"), [this] { ChangeLineFont(0); });
  tool("format-text-bold", tr("Bold"), [this] { ChangeLineFont(fsBold); });
  tool("format-text-italic", tr("Italic"), [this] { ChangeLineFont(fsItalic); });
  tool("format-text-underline", tr("Underline"), [this] { ChangeLineFont(fsUnderline); });

  auto group = [this, page, layout](const QString& title, bool header) {
    auto* box = new QGroupBox(title, page);
    auto* grid = new QGridLayout(box);
    QList<QTextEdit*> edits;
    int column = 0;
    for (const QString& caption : {tr("Left"), tr("Center"), tr("Right")}) {
      grid->addWidget(new QLabel(caption, box), 0, column);
      auto* edit = new QTextEdit(box);
      edit->setAcceptRichText(false);
      edit->setMinimumHeight(60);
      edit->installEventFilter(this);
      grid->addWidget(edit, 1, column++);
      edits << edit;
    }
    auto* mirror = new QCheckBox(tr("Mirror position"), box);
    grid->addWidget(mirror, 2, 0);
    auto* appearance = new QGroupBox(tr("Appearance"), box);
    auto* row = new QHBoxLayout(appearance);
    auto* line = new QCheckBox(header ? tr("Line under") : tr("Line above"), appearance);
    auto* frame = new QCheckBox(tr("Box"), appearance);
    auto* shadow = new QCheckBox(tr("Shadow"), appearance);
    auto* lineSwatch = new QPushButton(appearance);
    auto* shadowSwatch = new QPushButton(appearance);
    lineSwatch->setFixedSize(20, 20);
    shadowSwatch->setFixedSize(20, 20);
    lineSwatch->setEnabled(false);
    shadowSwatch->setEnabled(false);
    auto* lineButton = new QPushButton(tr("Line color"), appearance);
    auto* shadowButton = new QPushButton(tr("Shadow color"), appearance);
    for (QWidget* w : std::initializer_list<QWidget*>{line, frame, shadow, lineSwatch, lineButton,
                                                      shadowSwatch, shadowButton})
      row->addWidget(w);
    grid->addWidget(appearance, 2, 1, 1, 2);
    layout->addWidget(box);
    QColor& lineColor = header ? headerLine_ : footerLine_;
    QColor& shadowColor = header ? headerShadow_ : footerShadow_;
    connect(lineButton, &QPushButton::clicked, this, [this, &lineColor, lineSwatch] {
      const QColor chosen = QColorDialog::getColor(lineColor, this);
      if (chosen.isValid()) SetSwatch(lineSwatch, lineColor = chosen);
    });
    connect(shadowButton, &QPushButton::clicked, this, [this, &shadowColor, shadowSwatch] {
      const QColor chosen = QColorDialog::getColor(shadowColor, this);
      if (chosen.isValid()) SetSwatch(shadowSwatch, shadowColor = chosen);
    });
    if (header) {
      REHeaderLeft = edits[0], REHeaderCenter = edits[1], REHeaderRight = edits[2];
      CBHeaderMirror = mirror, CBHeaderLine = line, CBHeaderBox = frame, CBHeaderShadow = shadow;
      headerLineSwatch_ = lineSwatch, headerShadowSwatch_ = shadowSwatch;
    } else {
      REFooterLeft = edits[0], REFooterCenter = edits[1], REFooterRight = edits[2];
      CBFooterMirror = mirror, CBFooterLine = line, CBFooterBox = frame, CBFooterShadow = shadow;
      footerLineSwatch_ = lineSwatch, footerShadowSwatch_ = shadowSwatch;
    }
  };
  group(tr("Header"), true);
  group(tr("Footer"), false);
  UpdateToolActions();
  return page;
}

// The toolbar acts on the box that last had the focus, and only while it has it.
bool TPageSetupDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
    if (event->type() == QEvent::FocusIn) current_ = qobject_cast<QTextEdit*>(watched);
    UpdateToolActions();
  }
  return QDialog::eventFilter(watched, event);
}

void TPageSetupDlg::UpdateToolActions() {
  const bool enabled = current_ && current_->hasFocus();
  for (QAction* action : ToolActions) action->setEnabled(enabled);
}

void TPageSetupDlg::InsertMacro(const QString& macro) {
  if (!current_) return;
  current_->textCursor().insertText(macro);
}

// A line has one font: the change covers the caret's whole line, then the caret goes back.
void TPageSetupDlg::ChangeLineFont(int what) {
  if (!current_) return;
  const int position = current_->textCursor().position();
  QTextCursor line = LineCursor(current_);
  QFont font = line.block().charFormat().font();
  if (line.hasSelection()) {
    QTextCursor first = line;
    first.setPosition(line.selectionStart());
    first.movePosition(QTextCursor::NextCharacter);
    font = first.charFormat().font();
  }
  if (what == 0) {
    bool ok = false;
    font = QFontDialog::getFont(&ok, font, this);
    if (!ok) return;
  } else if (what == fsBold) {
    font.setBold(!font.bold());
  } else if (what == fsItalic) {
    font.setItalic(!font.italic());
  } else if (what == fsUnderline) {
    font.setUnderline(!font.underline());
  }
  QTextCharFormat format;
  format.setFont(font);
  line.setBlockCharFormat(format);
  line.setCharFormat(format);
  QTextCursor caret = current_->textCursor();
  caret.setPosition(position);
  current_->setTextCursor(caret);
  current_->setFocus();
}

void TPageSetupDlg::WriteFields() {
  const TPrintMargins& m = settings_.margins;
  const double values[] = {m.left,
                           m.right,
                           m.top,
                           m.bottom,
                           m.gutter,
                           m.header,
                           m.footer,
                           m.hfInternalMargin,
                           m.leftHFTextIndent,
                           m.rightHFTextIndent};
  for (int i = 0; i < MarginFields.size(); ++i)
    MarginFields[i]->setText(QString::fromStdString(FormatMarginNumber(values[i])));
}

// The fields in the order left, right, top, bottom, gutter, header, footer, left and right text
// indents, internal margin; the first that is not a number stops the reading.
bool TPageSetupDlg::ReadFields() {
  TPrintMargins& m = settings_.margins;
  const std::pair<int, double*> order[] = {{0, &m.left},
                                           {1, &m.right},
                                           {2, &m.top},
                                           {3, &m.bottom},
                                           {4, &m.gutter},
                                           {5, &m.header},
                                           {6, &m.footer},
                                           {8, &m.leftHFTextIndent},
                                           {9, &m.rightHFTextIndent},
                                           {7, &m.hfInternalMargin}};
  for (const auto& [field, target] : order) {
    double value = 0;
    if (!ParseMarginNumber(MarginFields[field]->text().toStdString(), value)) {
      TMessageBox::Show(this, windowTitle(), tr("Invalid number!"), mbOK, TMsgIcon::Error);
      MarginFields[field]->setFocus();
      return false;
    }
    *target = value;
  }
  return true;
}

void TPageSetupDlg::UnitsChanged(int index) {
  if (index < 0) return;
  settings_.margins.units = shownUnits_;
  ReadFields();
  settings_.margins.SetUnits(static_cast<TMarginUnits>(index));
  shownUnits_ = settings_.margins.units;
  WriteFields();
}

void TPageSetupDlg::LoadPart(const THeaderFooter& part, const QList<QTextEdit*>& boxes) {
  for (QTextEdit* box : boxes) {
    box->clear();
    box->setCurrentFont(ToQFont(part.defaultFont));
    box->document()->setDefaultFont(ToQFont(part.defaultFont));
  }
  QList<bool> started(3, false);
  for (const THeaderFooterItem& item : part.items) {
    const int index = static_cast<int>(item.alignment);  // left, centre, right
    QTextEdit* box = index == 0 ? boxes[0] : index == 1 ? boxes[1] : boxes[2];
    QTextCursor cursor(box->document());
    cursor.movePosition(QTextCursor::End);
    if (started[index]) cursor.insertBlock();
    started[index] = true;
    QTextCharFormat format;
    format.setFont(ToQFont(item.font));
    format.setForeground(ToQColor(item.font.color));
    cursor.setBlockCharFormat(format);
    cursor.insertText(QString::fromStdString(item.text), format);
  }
}

void TPageSetupDlg::SavePart(THeaderFooter& part, const QList<QTextEdit*>& boxes) {
  part.Clear();
  const THFAlignment alignments[] = {THFAlignment::Left, THFAlignment::Center, THFAlignment::Right};
  for (int i = 0; i < 3; ++i) {
    int lineNumber = 1;
    for (QTextBlock block = boxes[i]->document()->begin(); block.isValid();
         block = block.next(), ++lineNumber) {
      QTextCharFormat format = block.charFormat();
      if (block.length() > 1) {
        QTextCursor first(block);
        first.movePosition(QTextCursor::NextCharacter);
        format = first.charFormat();
      }
      const QString text = block.text();
      if (text.isEmpty()) continue;
      const TColor color = format.foreground().style() == Qt::NoBrush
                               ? part.defaultFont.color
                               : FromQColor(format.foreground().color());
      part.Add(text.toStdString(), FromQFont(format.font(), color), lineNumber, alignments[i]);
    }
  }
}

void TPageSetupDlg::LoadFromSettings() {
  shownUnits_ = settings_.margins.units;
  CBUnits->blockSignals(true);
  CBUnits->setCurrentIndex(static_cast<int>(settings_.margins.units));
  CBUnits->blockSignals(false);
  WriteFields();
  CBMirrorMargins->setChecked(settings_.margins.mirrorMargins);
  CBLineNumbers->setChecked(settings_.lineNumbers);
  CBLineNumbersInMargin->setChecked(settings_.lineNumbersInMargin);
  CBHighlight->setChecked(settings_.syntaxPrint);
  CBColors->setChecked(settings_.useColors);
  CBWrap->setChecked(settings_.wrap);
  LoadPart(settings_.header, {REHeaderLeft, REHeaderCenter, REHeaderRight});
  LoadPart(settings_.footer, {REFooterLeft, REFooterCenter, REFooterRight});
  CBHeaderLine->setChecked(settings_.header.frameTypes & hfLine);
  CBHeaderBox->setChecked(settings_.header.frameTypes & hfBox);
  CBHeaderShadow->setChecked(settings_.header.frameTypes & hfShadow);
  CBFooterLine->setChecked(settings_.footer.frameTypes & hfLine);
  CBFooterBox->setChecked(settings_.footer.frameTypes & hfBox);
  CBFooterShadow->setChecked(settings_.footer.frameTypes & hfShadow);
  CBHeaderMirror->setChecked(settings_.header.mirrorPosition);
  CBFooterMirror->setChecked(settings_.footer.mirrorPosition);
  headerLine_ = ToQColor(settings_.header.lineColor);
  headerShadow_ = ToQColor(settings_.header.shadowColor);
  footerLine_ = ToQColor(settings_.footer.lineColor);
  footerShadow_ = ToQColor(settings_.footer.shadowColor);
  SetSwatch(headerLineSwatch_, headerLine_);
  SetSwatch(headerShadowSwatch_, headerShadow_);
  SetSwatch(footerLineSwatch_, footerLine_);
  SetSwatch(footerShadowSwatch_, footerShadow_);
  Pages->setCurrentIndex(0);
  current_ = REHeaderLeft;
}

bool TPageSetupDlg::SaveToSettings() {
  settings_.margins.units = static_cast<TMarginUnits>(std::max(0, CBUnits->currentIndex()));
  const bool numbers = ReadFields();
  settings_.margins.mirrorMargins = CBMirrorMargins->isChecked();
  settings_.lineNumbers = CBLineNumbers->isChecked();
  settings_.lineNumbersInMargin = CBLineNumbersInMargin->isChecked();
  settings_.syntaxPrint = CBHighlight->isChecked();
  settings_.useColors = CBColors->isChecked();
  settings_.wrap = CBWrap->isChecked();
  auto frames = [](QCheckBox* line, QCheckBox* box, QCheckBox* shadow) {
    return (line->isChecked() ? hfLine : 0) | (box->isChecked() ? hfBox : 0) |
           (shadow->isChecked() ? hfShadow : 0);
  };
  settings_.header.frameTypes = frames(CBHeaderLine, CBHeaderBox, CBHeaderShadow);
  settings_.footer.frameTypes = frames(CBFooterLine, CBFooterBox, CBFooterShadow);
  settings_.header.lineColor = FromQColor(headerLine_);
  settings_.header.shadowColor = FromQColor(headerShadow_);
  settings_.footer.lineColor = FromQColor(footerLine_);
  settings_.footer.shadowColor = FromQColor(footerShadow_);
  settings_.header.mirrorPosition = CBHeaderMirror->isChecked();
  settings_.footer.mirrorPosition = CBFooterMirror->isChecked();
  SavePart(settings_.header, {REHeaderLeft, REHeaderCenter, REHeaderRight});
  SavePart(settings_.footer, {REFooterLeft, REFooterCenter, REFooterRight});
  return numbers;
}

// OK takes the values in any case (a bad number keeps the margins from it on) and closes only
// when every number was read.
void TPageSetupDlg::accept() {
  if (SaveToSettings()) QDialog::accept();
}

}  // namespace tervil
