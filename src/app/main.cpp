#include "app/demo_main.h"

// The show reads no command line: everything it needs is in the working directory.
int main() { return demoMain(); }
