#include "platform/steam_records.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace pellux::platform {
namespace fs = std::filesystem;

namespace {

// Deeper nesting than Steam ever writes means the file is not one of its records; the limit also
// keeps a hostile file from exhausting the stack.
constexpr int kMaxDepth = 64;

enum class TokenKind { text, open, close, end, error };

struct Token {
    TokenKind kind = TokenKind::end;
    std::string text;
};

class Lexer {
public:
    explicit Lexer(const std::string& text) : text_(text) {}

    Token next() {
        skip_space_and_comments();
        if (pos_ >= text_.size()) return {TokenKind::end, {}};
        const char c = text_[pos_];
        if (c == '{') return ++pos_, Token{TokenKind::open, {}};
        if (c == '}') return ++pos_, Token{TokenKind::close, {}};
        if (c == '"') return quoted();
        return bare();
    }

private:
    void skip_space_and_comments() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else {
                return;
            }
        }
    }

    // Steam escapes backslashes and quotes inside quoted texts (Windows library paths are written
    // as "C:\\Games"); other escapes are kept as they stand.
    Token quoted() {
        std::string value;
        ++pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') return {TokenKind::text, value};
            if (c == '\\' && pos_ < text_.size()) {
                const char e = text_[pos_++];
                switch (e) {
                    case '\\': value += '\\'; break;
                    case '"': value += '"'; break;
                    case 'n': value += '\n'; break;
                    case 't': value += '\t'; break;
                    default: value += '\\'; value += e; break;
                }
                continue;
            }
            value += c;
        }
        return {TokenKind::error, {}};
    }

    Token bare() {
        const std::size_t start = pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (std::isspace(static_cast<unsigned char>(c)) || c == '{' || c == '}' || c == '"') break;
            ++pos_;
        }
        return {TokenKind::text, text_.substr(start, pos_ - start)};
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

// A platform condition such as [$WIN32] may follow an entry; it says nothing about where a game is.
bool is_condition(const Token& token) {
    return token.kind == TokenKind::text && token.text.size() >= 2 && token.text.front() == '[' &&
           token.text.back() == ']';
}

bool parse_block(Lexer& lexer, VdfNode& block, int depth, bool top_level) {
    if (depth > kMaxDepth) return false;
    for (;;) {
        Token key = lexer.next();
        while (is_condition(key)) key = lexer.next();
        if (key.kind == TokenKind::end) return top_level;
        if (key.kind == TokenKind::close) return !top_level;
        if (key.kind != TokenKind::text) return false;

        VdfNode node;
        node.key = key.text;
        const Token value = lexer.next();
        if (value.kind == TokenKind::open) {
            node.is_block = true;
            if (!parse_block(lexer, node, depth + 1, false)) return false;
        } else if (value.kind == TokenKind::text && !is_condition(value)) {
            node.value = value.text;
        } else {
            return false;
        }
        block.children.push_back(std::move(node));
    }
}

bool is_number(const std::string& text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec) && !ec;
}

std::optional<std::string> read_whole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::optional<VdfNode> read_vdf(const std::string& path) {
    const auto text = read_whole(path);
    if (!text) return std::nullopt;
    VdfNode root;
    if (!parse_vdf(*text, root)) return std::nullopt;
    return root;
}

// Two spellings of one folder (~/.steam/steam is usually a link to ~/.local/share/Steam) are one
// library.
std::string identity_of(const std::string& path) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

// The installdir is one folder name inside steamapps/common; anything that would lead elsewhere
// is not a record Steam wrote.
bool is_plain_folder_name(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

SteamLookup read_manifest(const std::string& library, const std::string& manifest, std::string& folder) {
    const auto root = read_vdf(manifest);
    if (!root) return SteamLookup::unreadable;
    const VdfNode* state = vdf_child(*root, "AppState");
    if (!state || !state->is_block) return SteamLookup::unreadable;
    const VdfNode* installdir = vdf_child(*state, "installdir");
    if (!installdir) return SteamLookup::unreadable;
    if (installdir->is_block) return SteamLookup::not_text;
    if (!is_plain_folder_name(installdir->value)) return SteamLookup::unreadable;
    folder = library + "/steamapps/common/" + installdir->value;
    return SteamLookup::found;
}

}  // namespace

bool equal_ignoring_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool parse_vdf(const std::string& text, VdfNode& root) {
    root = VdfNode{};
    root.is_block = true;
    Lexer lexer(text);
    return parse_block(lexer, root, 0, true);
}

const VdfNode* vdf_child(const VdfNode& block, const std::string& key) {
    for (const auto& child : block.children) {
        if (equal_ignoring_case(child.key, key)) return &child;
    }
    return nullptr;
}

std::vector<std::string> steam_roots(const std::string& home) {
    if (home.empty()) return {};
    const std::string base = home.back() == '/' ? home : home + "/";
    return {
        base + ".steam/steam",
        base + ".steam/root",
        base + ".local/share/Steam",
        base + ".steam/debian-installation",
        base + ".var/app/com.valvesoftware.Steam/data/Steam",
        base + ".var/app/com.valvesoftware.Steam/.local/share/Steam",
        base + "snap/steam/common/.local/share/Steam",
    };
}

std::vector<std::string> steam_libraries(const std::string& root) {
    std::vector<std::string> libraries = {root};
    const auto list = read_vdf(root + "/steamapps/libraryfolders.vdf");
    if (!list) return libraries;
    const VdfNode* folders = vdf_child(*list, "libraryfolders");
    if (!folders || !folders->is_block) return libraries;
    for (const auto& entry : folders->children) {
        std::string path;
        if (entry.is_block) {
            // Current format: numbered blocks, each with its "path".
            const VdfNode* named = vdf_child(entry, "path");
            if (named && !named->is_block) path = named->value;
        } else if (is_number(entry.key)) {
            // Old format: "1" "<path>"; its other text entries are statistics.
            path = entry.value;
        }
        if (!path.empty()) libraries.push_back(path);
    }
    return libraries;
}

SteamLookup find_app_install_folder(const std::vector<std::string>& roots, const std::string& app_id,
                                    std::string& folder) {
    std::vector<std::string> seen;
    SteamLookup first_failure = SteamLookup::no_record;
    for (const auto& root : roots) {
        if (!exists(root)) continue;
        for (const auto& library : steam_libraries(root)) {
            const std::string identity = identity_of(library);
            bool known = false;
            for (const auto& s : seen) known = known || s == identity;
            if (known) continue;
            seen.push_back(identity);

            const std::string manifest = library + "/steamapps/appmanifest_" + app_id + ".acf";
            if (!exists(manifest)) continue;
            std::string candidate;
            const SteamLookup result = read_manifest(library, manifest, candidate);
            if (result == SteamLookup::found) {
                folder = candidate;
                return result;
            }
            if (first_failure == SteamLookup::no_record) first_failure = result;
        }
    }
    return first_failure;
}

}  // namespace pellux::platform
