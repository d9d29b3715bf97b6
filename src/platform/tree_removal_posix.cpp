#include "platform/tree_removal.h"

namespace pellux::platform {

// The library's own removal looks at links with lstat and removes the link, not its target.
void remove_tree(const std::filesystem::path& path, std::error_code& error) {
    std::filesystem::remove_all(path, error);
}

}  // namespace pellux::platform
