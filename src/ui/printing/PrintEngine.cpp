#include "ui/printing/PrintEngine.h"

#include <QApplication>
#include <QDateTime>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <algorithm>
#include <cmath>

#include "ui/editcomponent/TextEditor.h"

namespace tervil {

namespace {

QString Qs(const std::string& text) {
  return QString::fromStdString(text);
}

QColor ToQColor(TColor color) {
  return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

void ApplyStyle(QFont& font, int style) {
  font.setBold(style & fsBold);
  font.setItalic(style & fsItalic);
  font.setUnderline(style & fsUnderline);
  font.setStrikeOut(style & fsStrikeOut);
}

// "Arial" and "Courier New" are the desktop's sans-serif and fixed-pitch fonts.
QString FamilyOf(const std::string& name) {
  if (name == "Arial") return QStringLiteral("Sans Serif");
  if (name == "Courier New") return QStringLiteral("Monospace");
  return Qs(name);
}

}  // namespace

TPrintEngine::TPrintEngine() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

TPrintEngine::~TPrintEngine() = default;

void TPrintEngine::Prepare(TTextEditor& editor, const QString& title) {
  editor_ = &editor;
  editorFont_ = editor.EditorFont();
  settings_.tabWidth = editor.TabWidth();
  title_ = title;
  const QDateTime now = QDateTime::currentDateTime();
  time_ = QLocale().toString(now.time(), QLocale::ShortFormat);
  date_ = QLocale().toString(now.date(), QLocale::ShortFormat);
}

// Fonts are sized in the printer's pixels, so that the same font measures alike on the paper
// and, scaled, in the preview.
QFont TPrintEngine::FontOf(const TPrintFont& font) const {
  QFont f(FamilyOf(font.name));
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(font.size * dpi_ / 72.0))));
  ApplyStyle(f, font.style);
  return f;
}

QFont TPrintEngine::TextFont(int style) const {
  QFont f = editorFont_;
  const double points = editorFont_.pointSizeF() > 0 ? editorFont_.pointSizeF() : 10.0;
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(points * dpi_ / 72.0))));
  ApplyStyle(f, style);
  return f;
}

double TPrintEngine::LinesHeight(const THeaderFooter& part) const {
  double height = 0;
  for (const THeaderFooterLine& line : part.Lines()) {
    double lineHeight = 0;
    for (const THeaderFooterItem* item : line.items)
      lineHeight = std::max(lineHeight, QFontMetricsF(FontOf(item->font)).lineSpacing());
    height += lineHeight;
  }
  return height;
}

void TPrintEngine::BeginLayout() {
  QPrinter& printer = *printer_;
  dpi_ = printer.resolution() > 0 ? printer.resolution() : 72;
  const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
  metrics_.paperWidth = paper.width();
  metrics_.paperHeight = paper.height();
  metrics_.unitsPerMillimeter = dpi_ / 25.4;
  const QFontMetricsF text(TextFont(0));
  metrics_.lineHeight = text.lineSpacing();
  metrics_.charWidth = text.horizontalAdvance(QLatin1Char('0'));
  metrics_.headerHeight = LinesHeight(settings_.header);
  metrics_.footerHeight = LinesHeight(settings_.footer);
  metrics_.lineCount = editor_ ? editor_->LineCount() : 1;
  const TPageFrame frame = ComputePageFrame(settings_, metrics_, 1);
  TPrintLayoutOptions options;
  options.rowsPerPage = frame.rowsPerPage;
  options.columns = frame.columns;
  options.tabWidth = settings_.tabWidth;
  options.wrap = settings_.wrap;
  options.highlighter = settings_.syntaxPrint && editor_ ? editor_->Highlighter() : nullptr;
  QPointer<TTextEditor> editor = editor_;
  layout_.Start(
      editor ? editor->LineCount() : 0,
      [editor](int i) { return editor ? editor->Line(i) : std::string(); }, options);
}

void TPrintEngine::PaintHeaderFooter(QPainter& painter, const THeaderFooter& part,
                                     const TPageFrame& frame, bool header, int page,
                                     int pageCount) {
  const std::vector<THeaderFooterLine> lines = part.Lines();
  if (lines.empty()) return;
  const TMacroValues values{page, pageCount, time_.toStdString(), date_.toStdString(),
                            title_.toStdString()};
  const double height = LinesHeight(part);
  const double internal = settings_.margins.InMillimeters(settings_.margins.hfInternalMargin) *
                          metrics_.unitsPerMillimeter;
  const double top = header ? frame.headerTop : frame.footerBottom - height;
  const bool mirror = part.mirrorPosition && page % 2 == 0;
  double y = top;
  for (const THeaderFooterLine& line : lines) {
    double lineHeight = 0, ascent = 0;
    for (const THeaderFooterItem* item : line.items) {
      const QFontMetricsF fm(FontOf(item->font));
      lineHeight = std::max(lineHeight, fm.lineSpacing());
      ascent = std::max(ascent, fm.ascent());
    }
    double leftX = frame.hfLeft, rightX = frame.hfRight;
    for (const THeaderFooterItem* item : line.items) {
      THFAlignment alignment = item->alignment;
      if (mirror && alignment != THFAlignment::Center)
        alignment = alignment == THFAlignment::Left ? THFAlignment::Right : THFAlignment::Left;
      const QFont font = FontOf(item->font);
      const QString text = Qs(ExpandMacros(item->text, values));
      const double width = QFontMetricsF(font).horizontalAdvance(text);
      double x = leftX;
      if (alignment == THFAlignment::Center) {
        x = (frame.hfLeft + frame.hfRight - width) / 2;
      } else if (alignment == THFAlignment::Right) {
        x = rightX - width;
        rightX = x - QFontMetricsF(font).horizontalAdvance(QLatin1Char(' '));
      } else {
        leftX += width + QFontMetricsF(font).horizontalAdvance(QLatin1Char(' '));
      }
      painter.setFont(font);
      painter.setPen(settings_.useColors ? ToQColor(item->font.color) : QColor(Qt::black));
      painter.drawText(QPointF(x, y + ascent), text);
    }
    y += lineHeight;
  }
  const QRectF box(frame.left, top - internal, metrics_.paperWidth - frame.left - frame.right,
                   height + 2 * internal);
  const double pen = std::max(1.0, metrics_.unitsPerMillimeter * 0.2);
  if (part.frameTypes & hfShadow) {
    const double offset = metrics_.unitsPerMillimeter;
    painter.fillRect(box.translated(offset, offset), ToQColor(part.shadowColor));
    painter.fillRect(box, ToQColor(settings_.background));
  }
  painter.setPen(QPen(ToQColor(part.lineColor), pen));
  painter.setBrush(Qt::NoBrush);
  if (part.frameTypes & (hfBox | hfShadow)) {
    painter.drawRect(box);
  } else if (part.frameTypes & hfLine) {
    const double lineY = header ? box.bottom() : box.top();
    painter.drawLine(QPointF(box.left(), lineY), QPointF(box.right(), lineY));
  }
  if (part.frameTypes & hfShadow) {
    // The texts again, on top of the shadow's page-coloured face.
    PaintHeaderFooter(
        painter,
        [&part] {
          THeaderFooter plain = part;
          plain.frameTypes = 0;
          return plain;
        }(),
        frame, header, page, pageCount);
  }
}

void TPrintEngine::PaintPage(QPainter& painter, int index, int pageCount) {
  if (index < 0 || index >= layout_.PageCount()) return;
  if (pageCount <= 0) pageCount = layout_.PageCount();
  const int page = index + 1;
  const TPageFrame frame = ComputePageFrame(settings_, metrics_, page);
  painter.save();
  if (settings_.background != clWhite) {
    painter.fillRect(QRectF(0, 0, metrics_.paperWidth, metrics_.paperHeight),
                     ToQColor(settings_.background));
  }
  PaintHeaderFooter(painter, settings_.header, frame, true, page, pageCount);
  PaintHeaderFooter(painter, settings_.footer, frame, false, page, pageCount);

  const TPrintPage& layoutPage = layout_.Page(index);
  THighlighter* highlighter = layout_.Options().highlighter;
  THighlighterState state = layoutPage.state;
  std::vector<TToken> tokens;
  std::string text;
  int textLine = -1;
  const QFont plainFont = TextFont(0);
  const QFontMetricsF fm(plainFont);
  const double ascent = fm.ascent();
  double y = frame.textTop;
  for (const TPrintRow& row : layout_.PageRows(index)) {
    if (row.line != textLine) {
      textLine = row.line;
      text = layout_.Line(row.line);
      tokens.clear();
      if (highlighter) state = highlighter->TokenizeLine(text, state, tokens);
    }
    if (settings_.lineNumbers && row.row == 0) {
      painter.setFont(plainFont);
      painter.setPen(Qt::black);
      const QString number = QString::number(row.line + 1);
      const double right = frame.numbersLeft + frame.numbersWidth - metrics_.charWidth;
      painter.drawText(QPointF(right - fm.horizontalAdvance(number), y + ascent), number);
    }
    for (const TPrintRun& run : RowRuns(text, tokens, row, settings_.tabWidth)) {
      const THighlighterAttribute* attribute = run.attribute;
      painter.setFont(TextFont(attribute ? attribute->style : 0));
      QColor color = Qt::black;
      if (settings_.useColors && attribute && attribute->foreground != clNone &&
          attribute->foreground != clDefault) {
        color = editor_ ? editor_->ToQColor(attribute->foreground, Qt::black) : QColor(Qt::black);
      }
      painter.setPen(color);
      const double x = frame.textLeft + (run.column - row.startColumn) * metrics_.charWidth;
      painter.drawText(QPointF(x, y + ascent), Qs(run.text));
    }
    y += metrics_.lineHeight;
  }
  painter.restore();
}

bool TPrintEngine::Print(QWidget* parent) {
  if (!Prepared()) return false;
  QPrinter& printer = *printer_;
  printer.setDocName(title_);
  BeginLayout();
  layout_.LayoutAll();
  int from = 0, to = 0;
  if (printer.printRange() == QPrinter::PageRange) {
    from = printer.fromPage();
    to = printer.toPage();
  }
  const std::vector<int> pages = PagesToPrint(layout_.PageCount(), from, to);
  if (pages.empty()) return false;
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  std::unique_ptr<QProgressDialog> progress;
  if (parent) {
    progress = std::make_unique<QProgressDialog>(QObject::tr("Printing %1").arg(title_),
                                                 QObject::tr("Cancel"), 0,
                                                 static_cast<int>(pages.size()), parent);
    progress->setWindowTitle(QObject::tr("Print"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(500);
  }
  bool cancelled = false;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (progress) {
      progress->setValue(static_cast<int>(i));
      if (progress->wasCanceled()) {
        cancelled = true;
        break;
      }
    }
    if (i > 0) printer.newPage();
    // Paper coordinates: the painter starts at the printable area's corner.
    painter.save();
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    painter.translate(paper.left() - page.left(), paper.top() - page.top());
    PaintPage(painter, pages[i] - 1);
    painter.restore();
  }
  if (cancelled) printer.abort();
  painter.end();
  if (progress) progress->setValue(static_cast<int>(pages.size()));
  return !cancelled;
}

}  // namespace tervil
