// What the user is told about the soundtrack's file on standard error: the
// same words from the live player and from the capture tool's offline
// rendering, so that both say the same about the same file.
#pragma once

class ModuleRenderer;

// After renderer.loadFile(name, ...) returned `loaded`: why the file did not
// load, or what is missing from a module that did (a file that ends early,
// samples without data). A whole module gets no word.
void reportModuleLoad(const char* name, const ModuleRenderer& renderer, bool loaded);
