#include "ui/options/ColorBox.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

#include "core/common/ColorNames.h"

namespace tervil {

namespace {

constexpr int kColorRole = Qt::UserRole;

QColor Swatch(const QPalette& palette, TColor color) {
  if (color == clNone || color == clDefault) return QColor();
  if (IsSystemColor(color)) {
    switch (color & 0xFF) {
      case 0x05:
        return palette.color(QPalette::Base);
      case 0x08:
        return palette.color(QPalette::Text);
      case 0x0D:
        return palette.color(QPalette::Highlight);
      case 0x0E:
        return palette.color(QPalette::HighlightedText);
      case 0x0F:
        return palette.color(QPalette::Button);
      case 0x12:
        return palette.color(QPalette::ButtonText);
      case 0x17:
        return palette.color(QPalette::ToolTipText);
      case 0x18:
        return palette.color(QPalette::ToolTipBase);
      default:
        return palette.color(QPalette::Window);
    }
  }
  return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

QIcon SwatchIcon(const QPalette& palette, TColor color) {
  QPixmap pixmap(16, 12);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  const QColor fill = Swatch(palette, color);
  if (fill.isValid()) painter.fillRect(pixmap.rect(), fill);
  painter.setPen(palette.color(QPalette::Text));
  painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
  if (!fill.isValid()) painter.drawLine(0, 11, 15, 0);
  return QIcon(pixmap);
}

}  // namespace

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent) {
  setMaxVisibleItems(16);
  for (const TColorIdent& ident : ColorIdentifiers()) {
    QString caption = QString::fromLatin1(ident.name.data(), static_cast<int>(ident.name.size()));
    if (caption.startsWith("cl")) caption = caption.mid(2);
    AddColor(caption, ident.value);
  }
  if (IndexOf(clNone) < 0) AddColor(tr("None"), clNone);
  if (IndexOf(clDefault) < 0) AddColor(tr("Default"), clDefault);
  addItem(tr("Custom..."));
  customIndex_ = count() - 1;
  connect(this, &QComboBox::activated, this, [this](int index) {
    if (index == customIndex_) {
      ChooseCustom();
      return;
    }
    const TColor color = itemData(index, kColorRole).toUInt();
    if (color == shown_) return;
    shown_ = color;
    emit ColorChanged(color);
  });
}

int TColorBox::AddColor(const QString& caption, TColor color) {
  const int at = customIndex_ >= 0 ? customIndex_ : count();
  insertItem(at, SwatchIcon(palette(), color), caption, QVariant::fromValue<uint>(color));
  if (customIndex_ >= 0) ++customIndex_;
  return at;
}

int TColorBox::IndexOf(TColor color) const {
  return findData(QVariant::fromValue<uint>(color), kColorRole);
}

TColor TColorBox::Color() const {
  return shown_;
}

void TColorBox::SetColor(TColor color) {
  shown_ = color;
  int index = IndexOf(color);
  if (index < 0) index = AddColor(QString::fromStdString(ColorToHtml(color)), color);
  setCurrentIndex(index);
}

void TColorBox::ChooseCustom() {
  const QColor start = Swatch(palette(), shown_);
  const QColor chosen = QColorDialog::getColor(start.isValid() ? start : Qt::white, this);
  if (!chosen.isValid()) {
    SetColor(shown_);
    return;
  }
  const TColor color = MakeColor(chosen.red(), chosen.green(), chosen.blue());
  SetColor(color);
  emit ColorChanged(color);
}

}  // namespace tervil
