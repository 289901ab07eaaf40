#include "ui/generators/ColorListBox.h"

#include <QColorDialog>
#include <QFile>
#include <QPainter>
#include <QStyledItemDelegate>

#include "core/common/ColorNames.h"

namespace tervil {

namespace {

QColor ToQColor(TColor color) {
  return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

// Each entry: the highlight colour when selected, otherwise a very light grey; a black-framed
// swatch of the entry's colour and the display name right of it.
class TColorEntryDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect,
                      selected ? option.palette.highlight().color() : QColor(250, 250, 250));
    const int side = option.rect.height() - 4;
    const QRect swatch(option.rect.left() + 2, option.rect.top() + 2, side, side);
    const TColor color = HtmlToColor(index.data(Qt::UserRole).toString().toStdString());
    painter->fillRect(swatch, ToQColor(color));
    painter->setPen(Qt::black);
    painter->drawRect(swatch.adjusted(0, 0, -1, -1));
    painter->setPen(selected ? option.palette.highlightedText().color() : QColor(Qt::black));
    const QRect text = option.rect.adjusted(side + 8, 0, 0, 0);
    painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft, index.data().toString());
    painter->restore();
  }
};

// The swatch the closed box shows before the selected name.
QIcon Swatch(const std::string& colorText) {
  QPixmap swatch(12, 12);
  swatch.fill(ToQColor(HtmlToColor(colorText)));
  QPainter painter(&swatch);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 11, 11);
  return QIcon(swatch);
}

}  // namespace

TColorList::TColorList(QWidget* parent) : QComboBox(parent) {
  setObjectName("ColorList");
  setItemDelegate(new TColorEntryDelegate(this));
  setMaxVisibleItems(16);
  setStyleSheet("combobox-popup: 0;");  // a scrolled list of 16 rows, not the whole screen
  ChooseCustomColor = [this](const QColor& initial) {
    return QColorDialog::getColor(initial, this);
  };
  Refill();
  connect(this, &QComboBox::activated, this, &TColorList::Picked);
  connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (filling_) return;
    model_.SetSelected(index);
    emit ColorSelected();
  });
}

bool TColorList::LoadColorsFromFile(const QString& path) {
  QFile file(path);
  const bool read = file.open(QIODevice::ReadOnly);
  model_.LoadColors(read ? file.readAll().toStdString() : std::string());
  Refill();
  return read;
}

void TColorList::SelectColor(const QString& text) {
  model_.SelectColor(text.toStdString());
  Refill();
  emit ColorSelected();
}

QString TColorList::SelectedColorText() const {
  const int selected = std::max(model_.Selected(), 0);
  return QString::fromStdString(model_.Item(selected));
}

void TColorList::Refill() {
  filling_ = true;
  if (count() != model_.Count()) {
    clear();
    for (int i = 0; i < model_.Count(); ++i)
      addItem(Swatch(model_.Item(i)), QString::fromStdString(model_.Name(i)),
              QString::fromStdString(model_.Item(i)));
  } else {
    setItemText(0, QString::fromStdString(model_.Name(0)));
    setItemData(0, QString::fromStdString(model_.Item(0)), Qt::UserRole);
    setItemIcon(0, Swatch(model_.Item(0)));
  }
  setCurrentIndex(model_.Selected());
  filling_ = false;
}

// The user picked an entry: the custom one asks the colour dialog first.
void TColorList::Picked(int index) {
  if (index != 0) return;
  const QColor initial = ToQColor(HtmlToColor(model_.Item(0)));
  const QColor chosen = ChooseCustomColor ? ChooseCustomColor(initial) : QColor();
  if (chosen.isValid())
    SelectColor(QString::fromStdString(
        ColorToHtml(MakeColor(chosen.red(), chosen.green(), chosen.blue()))));
}

}  // namespace tervil
