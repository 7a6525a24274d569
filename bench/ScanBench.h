// The page scan benchmark's instruction-count mode, called by bench_main.
#pragma once

// Parses every benchmark input once, then finds its story links loops times
// (the link rules, the page layout, the story filter and the targets, as
// --links runs them) outside the benchmark framework, and prints the bytes
// and links handled. Returns the process exit code.
int RunWalkLoops(int loops);
