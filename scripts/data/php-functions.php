<?php
// Writes the PHP function lists of the function list and the parameter hints from the reflection
// of the interpreter that runs this script:
//
//   /usr/bin/php scripts/data/php-functions.php [output folder, default data/]
//
// The four files are parallel (line i of each describes the same function), sorted by name
// without regard to case:
//   phpfuncn.tvd  the name, as it is inserted
//   phpfuncm.tvd  the list text: return type, a column break, the name in bold, the parameters
//   phpfuncp.tvd  the parameters separated by commas ("void" when there are none)
//   phpfuncf.tvd  the signature, eight spaces and a short description
//
// Every function of the extensions named in php-extensions.txt that the interpreter has loaded is
// written. Descriptions come from php-descriptions.tsv (the project's own words); a function
// without one gets a description composed from its facts. php-supplement.tsv adds entries the
// reflection cannot give (language constructs, PDO methods, extensions a plain command-line
// interpreter lacks); a reflected function of the same name wins.

$here = __DIR__;
$out = rtrim($argv[1] ?? ($here . '/../../data'), '/');

function readTable(string $path): array {
    $rows = [];
    foreach (file($path, FILE_IGNORE_NEW_LINES) as $line) {
        if ($line === '' || $line[0] === '#') continue;
        $rows[] = explode("\t", $line);
    }
    return $rows;
}

function defaultText(ReflectionParameter $p): string {
    try {
        if ($p->isDefaultValueConstant()) return $p->getDefaultValueConstantName();
        $v = $p->getDefaultValue();
    } catch (Throwable $e) {
        return '';
    }
    if ($v === null) return 'null';
    if (is_bool($v)) return $v ? 'true' : 'false';
    if (is_string($v)) return '"' . addcslashes($v, "\0..\37\"\\\177") . '"';
    if (is_array($v)) return $v === [] ? '[]' : str_replace(["\n", '  '], '', var_export($v, true));
    return var_export($v, true);
}

function parameterText(ReflectionParameter $p): string {
    $text = $p->hasType() ? $p->getType() . ' ' : '';
    if ($p->isPassedByReference()) $text .= '&';
    if ($p->isVariadic()) $text .= '...';
    $text .= '$' . $p->getName();
    if ($p->isOptional() && !$p->isVariadic() && $p->isDefaultValueAvailable()) {
        $default = defaultText($p);
        if ($default !== '') $text .= ' = ' . $default;
    }
    return $text;
}

function returnType(ReflectionFunction $f): string {
    $type = $f->getReturnType() ?? $f->getTentativeReturnType();
    return $type === null ? 'mixed' : (string)$type;
}

function composedDescription(ReflectionFunction $f, string $extension): string {
    $count = $f->getNumberOfParameters();
    $takes = $count === 0 ? 'takes no parameters' : ($count === 1 ? 'takes 1 parameter' : "takes $count parameters");
    $text = ucfirst($extension) . " function, $takes, returns " . returnType($f);
    if ($f->isDeprecated()) $text .= ' (deprecated)';
    return $text;
}

$extensions = [];
foreach (readTable("$here/php-extensions.txt") as $row) {
    $extensions[strtolower(trim($row[0]))] = true;
}
$descriptions = [];
foreach (readTable("$here/php-descriptions.tsv") as $row) {
    $descriptions[strtolower($row[0])] = $row[1] ?? '';
}

$entries = [];
foreach (get_loaded_extensions() as $extensionName) {
    if (!isset($extensions[strtolower($extensionName)])) continue;
    $extension = new ReflectionExtension($extensionName);
    foreach ($extension->getFunctions() as $f) {
        $name = $f->getName();
        $params = implode(', ', array_map('parameterText', $f->getParameters()));
        $signature = "$name($params): " . returnType($f);
        $description = $descriptions[strtolower($name)] ?? composedDescription($f, $extensionName);
        $entries[strtolower($name)] = [
            $name,
            returnType($f) . '\column{}\style{+B}' . $name . '\style{-B}(' . $params . ')',
            $params === '' ? 'void' : $params,
            $signature . '        ' . $description,
        ];
    }
}
foreach (readTable("$here/php-supplement.tsv") as $row) {
    if (count($row) === 4 && !isset($entries[strtolower($row[0])])) $entries[strtolower($row[0])] = $row;
}
uksort($entries, 'strcmp');

$files = ['phpfuncn.tvd', 'phpfuncm.tvd', 'phpfuncp.tvd', 'phpfuncf.tvd'];
foreach ($files as $column => $file) {
    $lines = array_map(fn($entry) => $entry[$column] . "\n", array_values($entries));
    file_put_contents("$out/$file", implode('', $lines));
}
fwrite(STDERR, count($entries) . " functions written to $out\n");
