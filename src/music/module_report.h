// What the user is told about the soundtrack's file on standard error: the
// same words from the live player, the rehearsal and the capture tool's
// offline rendering, so that all say the same about the same file.
#pragma once

#include <string>

class ModuleRenderer;

// After renderer.loadFile(name, ...) returned `loaded`: why the file did not
// load, or what is missing from a module that did (a file that ends early,
// samples without data); "" for a whole module.
std::string moduleLoadNote(const char* name, const ModuleRenderer& renderer, bool loaded);

// The note, when there is one, as a line on standard error.
void reportModuleLoad(const char* name, const ModuleRenderer& renderer, bool loaded);
