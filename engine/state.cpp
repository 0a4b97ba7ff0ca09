// Program-wide state of the rename engine.
#include "engine/state.h"

namespace engine {

FileList DateiListe;
int32_t LaufendeNummer = 0;
int RenameErfolgt = 0;
std::string UndoDatei;
ListedFolder listedFolder;

}  // namespace engine
