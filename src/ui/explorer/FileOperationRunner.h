#pragma once

#include <QString>
#include <QStringList>

#include "core/explorer/FileOperations.h"

class QWidget;

namespace tervil {

enum class TFileOperationKind { Copy, Move, Delete };

// Runs a copy, move or permanent delete on a worker thread while the user interface stays live:
// a progress window with Cancel appears when the work lasts, each name that exists already is
// asked about (overwrite, skip, rename, for all), and every failure is shown when it ends.
// Returns the outcome once the worker has finished.
explorer::TOperationResult RunFileOperation(QWidget* parent, TFileOperationKind kind,
                                            const QStringList& sources, const QString& target);

}  // namespace tervil
