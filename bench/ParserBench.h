// The tokenizer benchmark's instruction-count mode, called by bench_main.
#pragma once

// Parses every benchmark input loops times (SetPage + ParsePage) outside the
// benchmark framework and prints the bytes and tokens handled. Returns the
// process exit code.
int RunParseLoops(int loops);
