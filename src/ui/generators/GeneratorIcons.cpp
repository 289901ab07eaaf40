#include "ui/generators/GeneratorIcons.h"

#include <QHash>
#include <QPixmap>

namespace tervil {

namespace {

// 24 x 24 drawings: the body of each icon, placed into one SVG frame.
const QHash<QString, QString>& Drawings() {
  static const QHash<QString, QString> drawings = {
      {"insert-table",
       R"(<rect x="3" y="4" width="18" height="16" fill="#fff" stroke="#3a5f8f" stroke-width="1.5"/>
<path d="M3 9h18M3 14.5h18M9 9v11M15 9v11" stroke="#3a5f8f" stroke-width="1.2"/>
<rect x="3" y="4" width="18" height="5" fill="#5599ee"/>)"},
      {"text-html",
       R"(<path d="M5 2h10l4 4v16H5z" fill="#fff" stroke="#6b6b6b" stroke-width="1.2"/>
<path d="M10 10l-3 3 3 3M14 10l3 3-3 3" fill="none" stroke="#d9531e" stroke-width="1.6"/>)"},
      {"insert-image",
       R"(<rect x="2.5" y="4.5" width="19" height="15" fill="#dff0ff" stroke="#3a5f8f" stroke-width="1.2"/>
<path d="M3 19l6-7 4 5 3-3 5 5z" fill="#3f8f3f"/><circle cx="16.5" cy="8.5" r="2" fill="#e8b400"/>)"},
      {"document-new",
       R"(<path d="M5 2h10l4 4v16H5z" fill="#fff" stroke="#6b6b6b" stroke-width="1.2"/>
<path d="M15 2v4h4" fill="none" stroke="#6b6b6b" stroke-width="1.2"/>
<path d="M12 10v8M8 14h8" stroke="#3f8f3f" stroke-width="2"/>)"},
      {"draw-polygon",
       R"(<path d="M4 18L7 5l9 3 4 9-9 3z" fill="#dff0ff" stroke="#3a5f8f" stroke-width="1.6"/>)"},
      {"draw-rectangle",
       R"(<rect x="4" y="6" width="16" height="12" fill="#dff0ff" stroke="#3a5f8f" stroke-width="1.6"/>)"},
      {"draw-circle",
       R"(<circle cx="12" cy="12" r="8" fill="#dff0ff" stroke="#3a5f8f" stroke-width="1.6"/>)"},
      {"transform-move",
       R"(<path d="M12 2l3 3h-2v6h6V9l3 3-3 3v-2h-6v6h2l-3 3-3-3h2v-6H5v2l-3-3 3-3v2h6V5H9z" fill="#3a5f8f"/>)"},
      {"zoom-in",
       R"(<circle cx="10" cy="10" r="6.5" fill="#fff" stroke="#3a5f8f" stroke-width="1.8"/>
<path d="M15 15l6 6M7 10h6M10 7v6" stroke="#3a5f8f" stroke-width="1.8"/>)"},
      {"zoom-out",
       R"(<circle cx="10" cy="10" r="6.5" fill="#fff" stroke="#3a5f8f" stroke-width="1.8"/>
<path d="M15 15l6 6M7 10h6" stroke="#3a5f8f" stroke-width="1.8"/>)"},
      {"zoom-original",
       R"(<circle cx="10" cy="10" r="6.5" fill="#fff" stroke="#3a5f8f" stroke-width="1.8"/>
<path d="M15 15l6 6" stroke="#3a5f8f" stroke-width="1.8"/>
<text x="10" y="13" font-family="sans-serif" font-size="8" font-weight="bold" fill="#3a5f8f" text-anchor="middle">1:1</text>)"},
  };
  return drawings;
}

}  // namespace

QIcon SvgIcon(const QString& svg) {
  QPixmap pixmap;
  if (!pixmap.loadFromData(svg.toUtf8(), "SVG")) return {};
  return QIcon(pixmap);
}

QIcon GeneratorIcon(const QString& name) {
  QIcon own;
  const auto drawing = Drawings().find(name);
  if (drawing != Drawings().end())
    own = SvgIcon(
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" viewBox="0 0 24 24">)" +
        *drawing + "</svg>");
  return QIcon::fromTheme(name, own);
}

}  // namespace tervil
