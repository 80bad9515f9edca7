<?php
/**
 * A small sample: comments, strings, variables and keywords.
 */
namespace App;

function greet(string $name, int $times = 1): string {
    $out = '';
    for ($i = 0; $i < $times; $i++) {
        $out .= "Hello, {$name}!\n";   // double-quoted with an escape
    }
    return $out . 'It\'s done'; # hash is no comment here
}

$path = $base/$file/"x"; /* unclosed at the end
echo greet("世界", 2);
