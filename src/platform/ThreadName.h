#pragma once

// Names the calling thread (at most 15 characters show) so that it can be told apart in a debugger,
// `top -H` or a sanitizer report.
void nameCurrentThread(const char* name);
