#pragma once

#include <QString>

class QMimeData;

namespace tervil {

// The data of an entry dragged out of a file list of the explorer: the entry's URL (so that other
// programs take it as a file) and the list's folder with the entry's name, which an editor
// reads to offer its dropped-file menu. The parent-folder entry ".." stands for the folder
// listed.
QMimeData* MakeExplorerDrag(const QString& folder, const QString& entryName);

// The folder and entry name of an explorer drag; false for any other data.
bool ReadExplorerDrag(const QMimeData& data, QString& folder, QString& entryName);

}  // namespace tervil
