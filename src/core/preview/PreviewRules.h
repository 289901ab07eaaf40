#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tervil {

// What the preview does with a page, by its file's extension (compared without regard to case).
enum class TPreviewKind {
  None,    // nothing to show
  Markup,  // HTML, XML or SVG: rendered from the editor's text
  Php,     // a PHP page: rendered through the PHP server, when the user asks for it
  Asset,   // a stylesheet or a script: refreshes the markup pages that use it
};
TPreviewKind PreviewKindOf(const std::string& path);
// Whether the page is a PHP script (the lint checks it).
bool IsPhpPage(const std::string& path);

// The pause after the last key before the preview follows the text, and before the lint runs.
inline constexpr int kPreviewPauseMs = 300;
inline constexpr int kLintPauseMs = 500;

// The folder relative addresses of a page resolve against, with a final "/"; empty for a page
// that has no folder (an untitled page).
std::string PreviewBaseFolder(const std::string& path);

// Joins `relative` to `folder` (an absolute folder) and removes "." and ".." steps.
std::string ResolvePath(const std::string& folder, const std::string& relative);

// The local files an HTML text refers to as a stylesheet or a script: the "href" of <link>
// elements, the "src" of <script> elements and the address of "@import" rules, resolved against
// the page's folder. Addresses with a scheme ("http:", "data:") or a host ("//") are left out;
// a query or fragment is cut off and %-escapes are decoded.
std::vector<std::string> LinkedAssets(std::string_view html, const std::string& pagePath);
// Whether the HTML text refers to the file `assetPath` (an absolute path).
bool UsesAsset(std::string_view html, const std::string& pagePath, const std::string& assetPath);

// The HTML text with the stylesheets and scripts it links replaced by the texts in `edited`
// (absolute path, text), so that the preview shows what their pages hold before they are saved:
// a <link> becomes a <style> element, a <script src> gets the text inline.
std::string InlineEditedAssets(std::string_view html, const std::string& pagePath,
                               const std::vector<std::pair<std::string, std::string>>& edited);

// The HTML text with a <base href> element at the start of its head (or of the text), so that a
// copy of the page elsewhere resolves relative addresses as the page does.
std::string WithBaseElement(std::string_view html, const std::string& baseHref);

// The command line of PHP's built-in web server on the loopback address, `port`, serving
// `documentRoot`. Scripts that run longer than `maxSeconds` are stopped by PHP itself; the code
// cache is off, so that every request runs the script as it was last saved.
std::string PhpServerCommandLine(const std::string& php, int port, const std::string& documentRoot,
                                 int maxSeconds = 10);
// A TCP port on 127.0.0.1 that nothing listens on now; 0 when none could be found.
int FindFreePort();
// Whether something accepts connections on 127.0.0.1:port.
bool PortAccepts(int port);

}  // namespace tervil
