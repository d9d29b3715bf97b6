#include "app/startup.h"

int main() { return pellux::run_program(); }
