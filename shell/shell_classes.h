// Registers the shell's classes that interface files create.
#pragma once

void registerShellClasses();
