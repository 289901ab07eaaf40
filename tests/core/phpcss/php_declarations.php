<?php
// Lists the declarations that PHP's own tokenizer finds in the PHP files under the folders given
// as arguments, as the reference for the analyser's oracle test. For each file, in sorted path
// order:
//   FILE <path>             (or SKIP <path> when PHP cannot parse it)
//   C <kind> <name>         a class, interface, trait or enum outside function and class bodies
//   M <name>                a method of the class listed last
//   F <name>                a function outside function and class bodies
// Closures, arrow functions and anonymous classes are no declarations; their bodies, like those
// of functions and methods, are not looked into.

function phpFiles(array $roots): array {
    $files = [];
    foreach ($roots as $root) {
        $iterator = new RecursiveIteratorIterator(new RecursiveDirectoryIterator($root,
            FilesystemIterator::SKIP_DOTS));
        foreach ($iterator as $file) {
            if ($file->isFile() && str_ends_with($file->getFilename(), '.php')) {
                $files[] = $file->getPathname();
            }
        }
    }
    sort($files, SORT_STRING);
    return $files;
}

// The index of the next (step 1) or previous (step -1) token that is no white space or comment.
function significant(array $tokens, int $i, int $step): ?int {
    for ($i += $step; $i >= 0 && $i < count($tokens); $i += $step) {
        if (!$tokens[$i]->isIgnorable()) return $i;
    }
    return null;
}

function at(array $tokens, ?int $i): ?PhpToken {
    return $i === null ? null : $tokens[$i];
}

function isName(?PhpToken $token): bool {
    return $token !== null && preg_match('/^[A-Za-z_\x80-\xff][A-Za-z0-9_\x80-\xff]*$/', $token->text);
}

// Frames of the brace stack: 'class' (a declared class body), 'body' (a function, closure or
// anonymous class body), 'block' (any other brace pair).
function listDeclarations(array $tokens): void {
    $stack = [];
    $pending = null;
    $kinds = [T_CLASS => 'class', T_INTERFACE => 'interface', T_TRAIT => 'trait', T_ENUM => 'enum'];
    foreach ($tokens as $i => $token) {
        $outside = !in_array('class', $stack, true) && !in_array('body', $stack, true);
        if (isset($kinds[$token->id])) {
            $prev = at($tokens, significant($tokens, $i, -1));
            if ($prev !== null && $prev->is([T_DOUBLE_COLON, T_OBJECT_OPERATOR, T_NULLSAFE_OBJECT_OPERATOR])) {
                continue;
            }
            $name = at($tokens, significant($tokens, $i, 1));
            $anonymous = ($prev !== null && $prev->is(T_NEW)) || !isName($name)
                || $name->is([T_EXTENDS, T_IMPLEMENTS]);
            if (!$anonymous && $outside) {
                echo "C {$kinds[$token->id]} {$name->text}\n";
                $pending = 'class';
            } else {
                $pending = 'body';
            }
        } elseif ($token->is(T_FUNCTION)) {
            $prev = at($tokens, significant($tokens, $i, -1));
            if ($prev !== null && $prev->is([T_USE, T_OBJECT_OPERATOR, T_NULLSAFE_OBJECT_OPERATOR, T_DOUBLE_COLON])) {
                continue;
            }
            $j = significant($tokens, $i, 1);
            while ($j !== null && $tokens[$j]->text === '&') $j = significant($tokens, $j, 1);
            $name = at($tokens, $j);
            $after = $j === null ? null : at($tokens, significant($tokens, $j, 1));
            if (isName($name) && $after !== null && $after->text === '(') {
                if (end($stack) === 'class') {
                    echo "M {$name->text}\n";
                } elseif ($outside) {
                    echo "F {$name->text}\n";
                }
            }
            $pending = 'body';
        } elseif ($token->text === '{' || $token->is([T_CURLY_OPEN, T_DOLLAR_OPEN_CURLY_BRACES])) {
            $stack[] = ($token->text === '{' && $pending !== null) ? $pending : 'block';
            if ($token->text === '{') $pending = null;
        } elseif ($token->text === '}') {
            array_pop($stack);
        } elseif ($token->text === ';' && $pending === 'body') {
            $pending = null;  // a method without body
        }
    }
}

foreach (phpFiles(array_slice($argv, 1)) as $file) {
    try {
        $tokens = PhpToken::tokenize(file_get_contents($file), TOKEN_PARSE);
    } catch (ParseError $e) {
        echo "SKIP $file\n";
        continue;
    }
    echo "FILE $file\n";
    listDeclarations($tokens);
}
