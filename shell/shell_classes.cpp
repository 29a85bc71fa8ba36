#include "shell/shell_classes.h"

void registerShellClasses() {}
