// Speed of the PHP code inspector on the offscreen platform: the refresh of a big class, and the
// PHP Analyser on a big page in the main window (how long the window is held up).

#include <benchmark/benchmark.h>

#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <string>

#include "BenchWorkspace.h"
#include "ui/phpcss/CodeInspector.h"

namespace {

// One class of 10,000 lines: properties and methods of five lines each.
std::string BigClass() {
  std::string text = "<?php\nclass Big extends Base {\n";
  for (int n = 0; n < 2000; ++n) {
    const std::string id = std::to_string(n);
    text += "    /** The value " + id + ". */\n    protected int $value" + id + " = " + id +
            ";\n    public function getValue" + id + "(): int {\n        return $this->value" + id +
            ";\n    }\n";
  }
  return text + "}\n";
}

// Refreshes a tree that already shows the class, as a second run of the PHP Analyser does.
void BM_RefreshTenThousandLineClass(benchmark::State& state) {
  const std::string text = BigClass();
  tervil::TCodeInspector inspector(TERVIL_SOURCE_DIR "/data/icons");
  inspector.resize(400, 800);
  inspector.show();
  inspector.RefreshFromText(text);
  for (auto _ : state) {
    inspector.RefreshFromText(text);
    inspector.TreeView()->viewport()->repaint();
  }
}
BENCHMARK(BM_RefreshTenThousandLineClass)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

}  // namespace

// The user's path: View > PHP Analyser on a big PHP page in the shown main window.

namespace {

// A page like WordPress's wp-includes/functions.php: `lines` lines of documented global
// functions with bodies full of strings, arrays and closures.
std::string FunctionsPhp(int lines) {
  std::string text = "<?php\n/**\n * Main WordPress API\n *\n * @package WordPress\n */\n\n";
  int n = 0;
  const auto lineCount = [&text] { return std::count(text.begin(), text.end(), '\n'); };
  while (lineCount() < lines) {
    const std::string id = std::to_string(n++);
    text += "/**\n * Retrieves the value " + id +
            " from the options, converting it for display.\n *\n"
            " * @since 2.1.0\n *\n * @global wpdb $wpdb WordPress database abstraction object.\n"
            " *\n * @param string $name    Name of the option.\n"
            " * @param mixed  $default Optional. Default value. Default false.\n"
            " * @return mixed Value of the option.\n */\n"
            "function wp_get_option_" +
            id +
            "( $name, $default = false ) {\n"
            "\tglobal $wpdb;\n"
            "\tif ( is_scalar( $name ) ) {\n"
            "\t\t$name = trim( $name );\n"
            "\t}\n"
            "\t$row = $wpdb->get_row( $wpdb->prepare( \"SELECT option_value FROM $wpdb->options "
            "WHERE option_name = %s LIMIT 1\", $name ) );\n"
            "\t$list = array_map( function ( $v ) { return esc_html( $v ); }, (array) $row );\n"
            "\t/* translators: %s: Option name. */\n"
            "\t$message = sprintf( __( 'The option \"%s\" is missing.' ), '<code>' . $name . "
            "'</code>' );\n"
            "\treturn apply_filters( \"option_{$name}\", $list ?: $default, $name );\n"
            "}\n\n";
  }
  return text;
}

// Runs the PHP Analyser on the current page and lets the window work until the tree shows the
// result; returns the longest time the window thread was held up (a 1 ms timer probes it) and
// sets `total` to the time from the command to the result shown, both in ms.
double AnalyseWatchingTheWindow(tervil::TWorkspace& workspace, double& total) {
  auto* inspector = workspace.window->findChild<tervil::TCodeInspector*>();
  QAction* analyser = workspace.window->findChild<QAction*>("actPHPAnalyser");
  QEventLoop loop;
  bool shown = false;
  QObject::connect(inspector, &tervil::TCodeInspector::Refreshed, &loop,
                   [&shown] { shown = true; });
  QElapsedTimer clock;
  qint64 last = 0, longest = 0, shownAt = 0;
  QTimer probe;
  probe.setInterval(1);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed() / 1000;
    longest = std::max(longest, now - last);
    last = now;
    if (shown) loop.quit();  // this tick also timed the filling of the tree
  });
  QObject::connect(inspector, &tervil::TCodeInspector::Refreshed, &loop,
                   [&] { shownAt = clock.nsecsElapsed() / 1000; });
  probe.start();
  clock.start();
  analyser->trigger();
  loop.exec();
  total = shownAt / 1000.0;
  return longest / 1000.0;
}

void BM_AnalyseFunctionsPhpInTheWindow(benchmark::State& state) {
  tervil::TWorkspace workspace;
  const std::string text = FunctionsPhp(static_cast<int>(state.range(0)));
  workspace.OpenAndPaint(workspace.Write("functions.php", text));
  double total = 0;
  const double firstBlock = AnalyseWatchingTheWindow(workspace, total);  // a new tree
  const double firstTotal = total;
  double longest = 0;
  for (auto _ : state) {
    longest = std::max(longest, AnalyseWatchingTheWindow(workspace, total));
    state.SetIterationTime(total / 1000.0);
  }
  state.counters["first_run_longest_block_ms"] = firstBlock;
  state.counters["first_run_total_ms"] = firstTotal;
  state.counters["longest_block_ms"] = longest;
  state.counters["budget_block_ms"] = 50;
  state.counters["KB"] = text.size() / 1024.0;
  workspace.CloseAll();
}
BENCHMARK(BM_AnalyseFunctionsPhpInTheWindow)
    ->Arg(8449)
    ->Arg(84490)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

}  // namespace
