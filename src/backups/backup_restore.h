// Restoring a backup set into the game, in whole or in part, and deleting a set.
#pragma once

namespace pellux {

void restore_backup_set();
void delete_backup_set();

}  // namespace pellux
