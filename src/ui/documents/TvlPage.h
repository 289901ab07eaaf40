#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "core/app/ReferenceData.h"
#include "core/documents/DocumentText.h"
#include "core/documents/SafeWrite.h"
#include "core/editcomponent/EditorModel.h"

namespace tervil {

class THighlighter;
class TPageCompletion;
class TTvlEdit;

// One open document: a tab of a page control holding the document's editor.
class TTvlPage : public QWidget {
  Q_OBJECT
 public:
  using CloseQuery = std::function<void(TTvlPage* page, bool& canClose)>;
  using StatusChange = std::function<void(TTvlPage* page, int changes)>;

  explicit TTvlPage(QWidget* parent = nullptr);
  ~TTvlPage() override;

  // Full path, or "Unnamed n" for a new document. The tab shows the name without folder.
  QString Filename() const { return filename_; }
  void SetFilename(const QString& name);
  QString Caption() const;

  QString Encoding;  // a charset table name ("" is the system code page) or a UTF-16/32 form
  // The file as it was last read or written (or as the user last agreed to keep it); empty when
  // there is no file.
  TFileStamp Filedate;
  // A hash of the file's bytes as last read or written, when known: a file whose stamp changed
  // only in its status change time (a new link, a permission) but holds these bytes is unchanged.
  std::optional<std::uint64_t> FileHash;
  bool FileReload = true;
  int LineBreakStyle = 0;  // 0 none, 1 LF first, 2 CR first
  TLineBreaks LineBreaks;  // the breaks the file held when it was read
  // The file's bytes were not valid in the chosen character set and were read by the lossless
  // fallback: its line breaks are written back as they were.
  bool DecodedByFallback = false;
  // The lines as read: a save converts the whitespace of changed lines only.
  TOriginalLines OriginalLines;
  // The breaks of each line as read, kept for a file with mixed breaks only.
  TOriginalBreaks OriginalBreaks;
  QString RunWith;
  QString RunParams;

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  // Whether the tab shows the document as modified (bold caption).
  bool ShownModified() const { return shownModified_; }

  TTvlEdit* TvlEdit() const { return editor_; }
  // The function list, hints, templates, auto-correction and JavaScript popup of the editor.
  TPageCompletion& Completion() const { return *completion_; }
  TEditorModel& Model() const;
  THighlighter* Highlighter() const;
  void SetHighlighter(THighlighter* highlighter);
  void SetTopLine(int line);
  void FocusEditor();

  // Shared with the page control the page was created in; not copied.
  std::shared_ptr<const TCompletionLists> Lists;

  CloseQuery OnCloseQuery;
  StatusChange OnEditorStatusChange;

  // Asks OnCloseQuery; when the page may close, destroys it. Returns whether it closed.
  bool Close();
  // Called by the editor on every status change.
  void EditorStatusChanged(int changes, bool modified);

 signals:
  void CaptionLookChanged();

 private:
  QString filename_;
  bool readOnly_ = false;
  bool shownModified_ = false;
  TTvlEdit* editor_;
  std::unique_ptr<TPageCompletion> completion_;  // goes before the editor
};

}  // namespace tervil
