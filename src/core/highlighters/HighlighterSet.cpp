#include "core/highlighters/HighlighterSet.h"

#include <algorithm>

namespace tervil {

namespace {

constexpr TColor kPhpMarker = 0x00BFBF;

// Start tags written inside PHP strings may quote their attribute values with \".
constexpr const char* kPhpStyleStart =
    R"(<style(\s*[a-zA-Z]*\s*=\s*\\"([^"])*\\"|\s*[a-zA-Z]*\s*=\s*"([^"])*")*\s*>)";
constexpr const char* kPhpScriptStart =
    R"(<script(\s*[a-zA-Z]*\s*=\s*\\"([^"])*\\"|\s*[a-zA-Z]*\s*=\s*"([^"])*")*\s*>)";
constexpr const char* kStyleStart =
    R"(<style(\s*type\s*=\s*"text/css"|\s*[a-zA-Z]*\s*=\s*"[^"]*")*\s*>)";
constexpr const char* kScriptStart = R"(<script(\s*[a-zA-Z]*\s*=\s*"[^"]*")*\s*>)";

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return AsciiLower(static_cast<unsigned char>(x)) < AsciiLower(static_cast<unsigned char>(y));
  });
}

}  // namespace

void ListHighlighters(const std::vector<THighlighter*>* components, THighlighterList* list,
                      bool append) {
  if (components == nullptr || list == nullptr) return;
  if (!append) list->clear();
  for (auto it = components->rbegin(); it != components->rend(); ++it) {
    THighlighter* highlighter = *it;
    if (highlighter == nullptr || highlighter->IsMulti()) continue;
    std::string name = highlighter->LanguageName();
    bool listed = std::any_of(list->begin(), list->end(),
                              [&name](const auto& entry) { return entry.first == name; });
    if (!listed) list->emplace_back(std::move(name), highlighter);
  }
  std::stable_sort(list->begin(), list->end(),
                   [](const auto& a, const auto& b) { return LessNoCase(a.first, b.first); });
}

THighlighterSet::THighlighterSet()
    : html_(std::make_unique<THtmlHighlighter>()),
      php_(std::make_unique<TPhpHighlighter>()),
      css_(std::make_unique<TCssHighlighter>()),
      javaScript_(std::make_unique<TJavaScriptHighlighter>()),
      xml_(std::make_unique<TXmlHighlighter>()),
      sql_(std::make_unique<TSqlHighlighter>()),
      perl_(std::make_unique<TPerlHighlighter>()),
      java_(std::make_unique<TJavaHighlighter>()),
      cpp_(std::make_unique<TCppHighlighter>()),
      cSharp_(std::make_unique<TCSharpHighlighter>()),
      vbScript_(std::make_unique<TVBScriptHighlighter>()),
      pascal_(std::make_unique<TPascalHighlighter>()),
      general_(std::make_unique<TGeneralHighlighter>()),
      multiPhp_(std::make_unique<TMultiHighlighter>(php_.get())),
      multi_(std::make_unique<TMultiHighlighter>(html_.get())) {
  multiPhp_->AddScheme({"css", kPhpStyleStart, "</style>", false, clAqua, css_.get(), false});
  multiPhp_->AddScheme(
      {"js", kPhpScriptStart, "</script>", false, clTeal, javaScript_.get(), false});

  multi_->AddScheme({"htmlphp", R"(<\?)", R"(\?>)", false, kPhpMarker, multiPhp_.get(), true});
  multi_->AddScheme({"php", R"(<\?php)", R"(\?>)", false, kPhpMarker, multiPhp_.get(), true});
  multi_->AddScheme({"css", kStyleStart, "</style>", false, clAqua, css_.get(), false});
  multi_->AddScheme({"js", kScriptStart, "</script>", false, clTeal, javaScript_.get(), false});

  components_ = {html_.get(),    php_.get(),    css_.get(),      javaScript_.get(),
                 xml_.get(),     sql_.get(),    perl_.get(),     java_.get(),
                 cpp_.get(),     cSharp_.get(), vbScript_.get(), pascal_.get(),
                 general_.get(), multi_.get(),  multiPhp_.get()};
}

THighlighterSet::~THighlighterSet() = default;

THighlighter* THighlighterSet::FindByLanguageName(std::string_view name) const {
  for (THighlighter* highlighter : components_) {
    if (!highlighter->IsMulti() && highlighter->LanguageName() == name) return highlighter;
  }
  return nullptr;
}

void THighlighterSet::ListHighlighters(THighlighterList& list, bool append) const {
  tervil::ListHighlighters(&components_, &list, append);
}

}  // namespace tervil
