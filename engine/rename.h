// The rename action and its undo.
#pragma once

namespace engine {

void RenameAusfuehren();
void RenameRueckgaengig();

}  // namespace engine
