#include "ui/browser/BrowserPage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QOpenGLContext>
#include <QSurfaceFormat>

// Qt's own setter of the context that all OpenGL contexts of the application share (exported
// by Qt GUI, declared only in its private headers).
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace tervil {

namespace {

// The module's one entry: makes a view with the given parent.
using TCreateFunction = TBrowserPage* (*)(QWidget* parent);
// Set by the build: the module's file name and its folder relative to the program's.
#ifndef TERVIL_BROWSER_MODULE
#define TERVIL_BROWSER_MODULE ""
#endif
#ifndef TERVIL_BROWSER_MODULE_DIR
#define TERVIL_BROWSER_MODULE_DIR ""
#endif

struct TModule {
  bool tried = false;
  TCreateFunction create = nullptr;
};

TModule& Module() {
  static TModule module;
  return module;
}

// Drops the engine's advice, given when it is loaded after the application started, to share
// OpenGL contexts from the start (the program makes the shared context later, on purpose).
QtMessageHandler gPreviousHandler = nullptr;
void QuietLateStartAdvice(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && text.contains(QLatin1String("initialized from a plugin"))) return;
  if (gPreviousHandler) gPreviousHandler(type, context, text);
}

// The engine draws through an OpenGL context shared with the application's windows, which Qt
// makes at start when asked to. The program makes it here instead, before the engine is loaded:
// making it loads the system's OpenGL driver, which a program that shows no web page does without
// (with a software renderer it takes about 50 MB). A context that cannot be made is still set: the
// engine then draws without OpenGL. It lives as long as the program.
void ShareOpenGLContext() {
  if (QOpenGLContext::globalShareContext()) return;
  auto* context = new QOpenGLContext;
  context->setFormat(QSurfaceFormat::defaultFormat());
  context->create();
  qt_gl_set_global_share_context(context);
}

TCreateFunction LoadModule() {
  TModule& module = Module();
  if (module.tried) return module.create;
  module.tried = true;
  const QString name = QStringLiteral(TERVIL_BROWSER_MODULE);
  if (name.isEmpty() || !QCoreApplication::instance()) return nullptr;
  const QString path = QDir(QCoreApplication::applicationDirPath())
                           .filePath(QStringLiteral(TERVIL_BROWSER_MODULE_DIR "/") + name);
  if (!QFileInfo::exists(path)) return nullptr;
  // Never unloaded: the engine keeps threads and processes of its own until the program ends.
  auto* library = new QLibrary(QFileInfo(path).canonicalFilePath());
  library->setLoadHints(QLibrary::PreventUnloadHint);
  ShareOpenGLContext();
  gPreviousHandler = qInstallMessageHandler(QuietLateStartAdvice);
  const bool loaded = library->load();
  qInstallMessageHandler(gPreviousHandler);
  if (!loaded) {
    qWarning("The browser engine cannot be loaded: %s", qPrintable(library->errorString()));
    delete library;
    return nullptr;
  }
  module.create = reinterpret_cast<TCreateFunction>(library->resolve("tervil_create_browser_page"));
  return module.create;
}

}  // namespace

TBrowserPage* CreateBrowserPage(QWidget* parent) {
  const TCreateFunction create = LoadModule();
  return create ? create(parent) : nullptr;
}

bool BrowserEngineLoaded() {
  return Module().create != nullptr;
}

}  // namespace tervil
