#pragma once

#include <QIcon>
#include <QString>

namespace tervil {

// The theme's icon of that name, or else the program's own drawing for the generator commands
// and the image map tools: "insert-table", "text-html", "insert-image", "document-new",
// "draw-polygon", "draw-rectangle", "draw-circle", "transform-move", "zoom-in", "zoom-out" and
// "zoom-original".
QIcon GeneratorIcon(const QString& name);

// An icon drawn from SVG text; a null icon when the SVG image plug-in is missing.
QIcon SvgIcon(const QString& svg);

}  // namespace tervil
