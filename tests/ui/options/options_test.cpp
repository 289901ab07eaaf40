#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

#include "core/editcomponent/Highlighter.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/options/OptionsForm.h"

using namespace tervil;

// The Options dialog on the real main window, opened from the Tools menu with keys and worked
// with the keyboard.
class OptionsTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;
  QStringList messages_;                // the notices the program showed, by text
  TMsgResult answer_ = TMsgResult::No;  // to questions

  QString Registry() const { return home_.filePath("config/tervil-editor/registry.reg"); }

  // Settings as another program left them, read by the next start.
  void WriteRegistry(const QByteArray& text) {
    QDir().mkpath(home_.filePath("config/tervil-editor"));
    QFile file(Registry());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
  }

  // Opens a file written two hours ago in a fresh window; returns its editor.
  TTvlEdit* OpenFile(const QString& name, const QByteArray& bytes) {
    window_.LoadSettings();
    return window_.OpenOldFile(home_.filePath(name), bytes);
  }

  static void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
  }

  // Tools > Options... with the keyboard; `work` runs while the dialog is open.
  void WithOptions(const std::function<void(TOptionsForm&)>& work) {
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_T, Qt::AltModifier);
    QMenu* tools = nullptr;
    QTRY_VERIFY((tools = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
    QAction* options = window_->findChild<QAction*>("actOptions");
    QVERIFY(options);
    QVERIFY(tools->actions().contains(options));
    for (int i = 0; i < 60 && tools->activeAction() != options; ++i)
      QTest::keyClick(tools, Qt::Key_Down);
    QCOMPARE(tools->activeAction(), options);
    bool worked = false;
    QTimer::singleShot(0, this, [&] {
      TOptionsForm* form = nullptr;
      QTRY_VERIFY((form = qobject_cast<TOptionsForm*>(QApplication::activeModalWidget())));
      // The desktop activates a new dialog; the offscreen platform has no window manager.
      form->activateWindow();
      QTRY_COMPARE(QApplication::activeWindow(), form);
      worked = true;
      work(*form);
      if (form->isVisible()) form->reject();
    });
    QTest::keyClick(tools, Qt::Key_Return);
    QVERIFY(worked);
  }

  // The sections list has the keyboard when the dialog opens; Home and Down choose a section.
  static void GoToSection(TOptionsForm& form, int index) {
    auto* sections = form.findChild<QListWidget*>("Sections");
    sections->setFocus();
    QTest::keyClick(sections, Qt::Key_Home);
    for (int i = 0; i < index; ++i) QTest::keyClick(sections, Qt::Key_Down);
    QCOMPARE(sections->currentRow(), index);
  }

  // Replaces the text of the control a mnemonic leads to.
  static void TypeInto(int mnemonic, const QString& text) {
    Key(mnemonic, Qt::AltModifier);
    Key(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
  }

 private slots:
  void initTestCase() {
    test::UseUserFoldersIn(home_);
    qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
    TMessageBox::SetHandler([this](const QString&, const QString& text, int buttons, TMsgIcon) {
      messages_ << text;
      return (buttons & mbYes) ? answer_ : TMsgResult::OK;
    });
  }

  void init() {
    messages_.clear();
    QFile::remove(Registry());
  }

  void cleanup() { window_.Stop(); }

  // A stored interval of 90000 ms shows as one minute; Ok writes the tab width and right edge
  // typed in the Editor section to the open page and the interval back as whole minutes.
  void okAppliesEditorSettingsAndSavesTheInterval() {
    WriteRegistry(
        "REGEDIT4\n\n[Software\\Tervil Editor]\n\"lastconfig\"=\"default\"\n\n"
        "[Software\\Tervil Editor\\default]\n\"autosaveinterval\"=dword:00015f90\n");
    TTvlEdit* editor = OpenFile("page.html", "<p>\n\tindented\n</p>\n");
    QCOMPARE(editor->TabWidth(), 4);
    WithOptions([&](TOptionsForm& form) {
      QCOMPARE(form.findChild<QSpinBox*>("autosaveinterval")->value(), 1);
      GoToSection(form, 1);
      TypeInto(Qt::Key_D, "8");
      TypeInto(Qt::Key_O, "100");
      QCOMPARE(form.findChild<QSpinBox*>("rightedge")->value(), 100);
      Key(Qt::Key_S, Qt::AltModifier);  // the gutter box, clicked a moment later
      QTRY_VERIFY(!form.findChild<QCheckBox*>("gutter")->isChecked());
      Key(Qt::Key_Return);  // Ok
      QTRY_VERIFY(!form.isVisible());
    });
    QCOMPARE(editor->TabWidth(), 8);
    QCOMPARE(editor->RightEdge(), 100);
    QVERIFY(!editor->GutterVisible());
    const QByteArray stored = test::FileContents(Registry());
    QVERIFY2(stored.contains("\"tabwidth\"=dword:00000008"), stored.constData());
    QVERIFY(stored.contains("\"rightedge\"=dword:00000064"));
    QVERIFY(stored.contains("\"autosaveinterval\"=dword:0000ea60"));
  }

  // Number boxes keep their values inside their ranges, however far the keys go.
  void numberBoxesStayInsideTheirRanges() {
    OpenFile("clamp.txt", "text\n");
    WithOptions([&](TOptionsForm& form) {
      GoToSection(form, 1);
      TypeInto(Qt::Key_D, "99");
      QVERIFY(form.findChild<QSpinBox*>("tabwidth")->value() <= 16);
      for (int i = 0; i < 3; ++i) Key(Qt::Key_PageUp);
      TypeInto(Qt::Key_F, "");
      for (int i = 0; i < 10; ++i) Key(Qt::Key_PageDown);
      Key(Qt::Key_Return);
      QTRY_VERIFY(!form.isVisible());
    });
    QCOMPARE(window_->Configuration().TabWidth, 16);
    QCOMPARE(window_->Configuration().FontSize, 1);
  }

  // A colour changed in the Syntax section shows at once in the open page; Cancel puts the
  // colour back there, also when the configuration has never stored one.
  void cancelRestoresAChangedHighlighterColour() {
    TTvlEdit* editor = OpenFile("style.css", "p { color: red; }\n");
    THighlighter* highlighter = editor->Highlighter();
    QVERIFY(highlighter);
    QCOMPARE(QString::fromStdString(highlighter->LanguageName()), "Cascading Style Sheet");
    THighlighterAttribute* first = highlighter->Attributes().front();
    const TColor before = first->foreground;
    WithOptions([&](TOptionsForm& form) {
      GoToSection(form, 2);
      Key(Qt::Key_H, Qt::AltModifier);
      auto* list = form.findChild<QComboBox*>("Highlighter");
      QCOMPARE(QApplication::focusWidget(), list);
      Key(Qt::Key_Home);
      for (int i = 0; i < list->count() && list->currentText() != "Cascading Style Sheet"; ++i)
        Key(Qt::Key_Down);
      QCOMPARE(list->currentText(), QString("Cascading Style Sheet"));
      Key(Qt::Key_F, Qt::AltModifier);  // the first attribute's foreground
      Key(Qt::Key_Home);
      if (first->foreground == before) Key(Qt::Key_Down);
      QVERIFY(first->foreground != before);
      QCOMPARE(editor->Highlighter()->Attributes().front()->foreground, first->foreground);
      Key(Qt::Key_Escape);  // Cancel
      QTRY_VERIFY(!form.isVisible());
    });
    QCOMPARE(first->foreground, before);
    QVERIFY(!test::FileContents(Registry()).contains("Highlighters"));
  }

  // A new configuration's name: a blank inside is refused, a hyphen accepted; the active
  // configuration cannot be deleted, another one goes at once.
  void configurationNamesAndDeletion() {
    OpenFile("names.txt", "text\n");
    WithOptions([&](TOptionsForm& form) {
      GoToSection(form, 4);
      auto* list = form.findChild<QListWidget*>("ConfigList");
      TypeInto(Qt::Key_F, "my config");
      Key(Qt::Key_Return);
      QCOMPARE(messages_, QStringList{window_->Message("BadConfigName")});
      QVERIFY(form.isVisible());
      QCOMPARE(list->count(), 1);

      TypeInto(Qt::Key_F, "my-config");
      Key(Qt::Key_Return);
      QCOMPARE(messages_.size(), 1);
      QCOMPARE(list->count(), 2);
      QVERIFY(test::FileContents(Registry()).contains("[Software\\Tervil Editor\\my-config]"));
      QVERIFY(form.findChild<QLineEdit*>("ConfigName")->text().isEmpty());

      TypeInto(Qt::Key_F, "my-config");
      Key(Qt::Key_Return);
      QCOMPARE(messages_.last(), window_->Message("ConfigAlreadyExists"));

      auto choose = [&](const QString& name) {
        Key(Qt::Key_G, Qt::AltModifier);
        Key(Qt::Key_Home);
        for (int i = 0; i < list->count() && list->currentItem()->text() != name; ++i)
          Key(Qt::Key_Down);
        QCOMPARE(list->currentItem()->text(), name);
      };
      choose("default");
      Key(Qt::Key_D, Qt::AltModifier);  // the button clicks a moment later
      QTRY_COMPARE(messages_.last(), window_->Message("CantDeleteActiveConfig"));
      QCOMPARE(list->count(), 2);

      choose("my-config");
      Key(Qt::Key_D, Qt::AltModifier);
      QTRY_COMPARE(list->count(), 1);
      Key(Qt::Key_Escape);
      QTRY_VERIFY(!form.isVisible());
    });
    QVERIFY(!test::FileContents(Registry()).contains("my-config"));
    QCOMPARE(window_->Configuration().ConfigNames, std::vector<std::string>{"default"});
  }

  // The user-code group: a code added with the button, selected, renamed (the button reads
  // Update, Delete while the caption is blank, Update again) and kept by Ok.
  void userCodesFollowTheButtonRules() {
    OpenFile("codes.txt", "text\n");
    WithOptions([&](TOptionsForm& form) {
      auto* button = form.findChild<QPushButton*>("CodeButton");
      auto* list = form.findChild<QTreeWidget*>("UserCodes");
      TypeInto(Qt::Key_T, "bold");
      TypeInto(Qt::Key_B, "<b>");
      TypeInto(Qt::Key_F, "</b>");
      Key(Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), button);
      QCOMPARE(button->text(), QString("Add"));
      Key(Qt::Key_Space);
      QCOMPARE(list->topLevelItemCount(), 1);
      QVERIFY(form.findChild<QLineEdit*>("CodeCaption")->text().isEmpty());

      Key(Qt::Key_O, Qt::AltModifier);
      Key(Qt::Key_Home);
      Key(Qt::Key_Space);
      QCOMPARE(button->text(), QString("Update"));
      QCOMPARE(form.findChild<QLineEdit*>("CodeBefore")->text(), QString("<b>"));
      TypeInto(Qt::Key_T, "");
      Key(Qt::Key_Backspace);
      QCOMPARE(button->text(), QString("Delete"));
      QTest::keyClicks(QApplication::focusWidget(), "strong");
      QCOMPARE(button->text(), QString("Update"));
      Key(Qt::Key_Tab);
      Key(Qt::Key_Tab);
      Key(Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), button);
      Key(Qt::Key_Space);
      QCOMPARE(button->text(), QString("Add"));
      QCOMPARE(list->topLevelItem(0)->text(0), QString("strong"));
      form.findChild<QPushButton*>("Ok")->setFocus();
      Key(Qt::Key_Return);
      QTRY_VERIFY(!form.isVisible());
    });
    const auto& codes = window_->Configuration().UserCodeList;
    QCOMPARE(codes.size(), std::size_t{1});
    QCOMPARE(codes[0].caption, std::string("strong"));
    QCOMPARE(codes[0].after, std::string("</b>"));
    QVERIFY(test::FileContents(Registry()).contains("\"usercode_caption0\"=\"strong\""));
  }

  // Switching configuration in the dialog with an unapplied edit asks first; No drops the edit,
  // and the dialog and the pages show the other configuration.
  void switchingConfigurationAsksAboutUnappliedEdits() {
    WriteRegistry(
        "REGEDIT4\n\n[Software\\Tervil Editor]\n\"lastconfig\"=\"default\"\n\n"
        "[Software\\Tervil Editor\\default]\n\"tabwidth\"=dword:00000004\n\n"
        "[Software\\Tervil Editor\\other]\n\"tabwidth\"=dword:00000002\n");
    TTvlEdit* editor = OpenFile("switch.txt", "text\n");
    answer_ = TMsgResult::No;
    WithOptions([&](TOptionsForm& form) {
      GoToSection(form, 1);
      TypeInto(Qt::Key_D, "6");
      Key(Qt::Key_N, Qt::AltModifier);
      Key(Qt::Key_Down);
      QCOMPARE(messages_, QStringList{window_->Message("ConfigChanged")});
      QCOMPARE(form.findChild<QSpinBox*>("tabwidth")->value(), 2);
      Key(Qt::Key_Escape);
      QTRY_VERIFY(!form.isVisible());
    });
    QCOMPARE(window_->Configuration().ConfigName, std::string("other"));
    QCOMPARE(editor->TabWidth(), 2);
    const QByteArray stored = test::FileContents(Registry());
    QVERIFY(!stored.contains("\"tabwidth\"=dword:00000006"));
  }

  // The dialog fits a 1366 x 768 screen, and Tab reaches every control of every section.
  void fitsSmallScreensAndTabReachesEveryControl() {
    OpenFile("keys.txt", "text\n");
    WithOptions([&](TOptionsForm& form) {
      QVERIFY(form.minimumSizeHint().width() <= 1366);
      QVERIFY(form.minimumSizeHint().height() <= 768);
      QVERIFY(form.frameGeometry().width() <= 1366);
      QVERIFY(form.frameGeometry().height() <= 768);
      for (int section = 0; section < form.SectionCount(); ++section) {
        GoToSection(form, section);
        QSet<QWidget*> reached;
        for (int i = 0; i < 80; ++i) {
          Key(Qt::Key_Tab);
          reached << QApplication::focusWidget();
        }
        for (QWidget* widget : form.findChildren<QWidget*>()) {
          if (!widget->isVisible() || !(widget->focusPolicy() & Qt::TabFocus) ||
              widget->focusProxy() || !widget->isEnabled())
            continue;
          QVERIFY2(reached.contains(widget),
                   qPrintable(QString("section %1: %2 %3")
                                  .arg(section)
                                  .arg(widget->metaObject()->className(), widget->objectName())));
        }
      }
    });
  }
};

QTEST_MAIN(OptionsTest)
#include "options_test.moc"
