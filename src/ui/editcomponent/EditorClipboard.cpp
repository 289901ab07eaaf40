#include "ui/editcomponent/EditorClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace tervil {

namespace {

QString ToDesktopText(const std::string& text) {
  QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

}  // namespace

std::string TEditorClipboard::Text() const {
  QByteArray bytes = QGuiApplication::clipboard()->text().toUtf8();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void TEditorClipboard::SetText(const std::string& text) {
  QGuiApplication::clipboard()->setMimeData(
      MakeMimeData(text, model_.SelectionMode() == TSelectionMode::smColumn));
}

bool TEditorClipboard::HasText() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data != nullptr && data->hasText() && !data->text().isEmpty();
}

bool TEditorClipboard::HoldsColumnBlock() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data != nullptr && IsColumnBlock(*data);
}

QMimeData* TEditorClipboard::MakeMimeData(const std::string& text, bool columnBlock) {
  auto* data = new QMimeData;
  QString plain = ToDesktopText(text);
  data->setText(plain);
  if (columnBlock) data->setData(kColumnMimeType, plain.toUtf8());
  return data;
}

bool TEditorClipboard::IsColumnBlock(const QMimeData& data) {
  // The mark counts only while the text is still the one it was made with.
  return data.hasFormat(kColumnMimeType) && data.data(kColumnMimeType) == data.text().toUtf8();
}

}  // namespace tervil
