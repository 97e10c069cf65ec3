#pragma once

// The program: start-up, event loop and tear-down. The automation entry runs it after it
// has handled the server's own command-line switches.
int applicationMain(int argc, char* argv[]);
