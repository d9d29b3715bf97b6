#include "platform/command_line.h"

#include <algorithm>
#include <cctype>

namespace pellux::platform {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string lower(std::string text) {
    for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string with_slashes(std::string text) {
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

std::string trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && is_blank(text[begin])) ++begin;
    while (end > begin && is_blank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// Reads the target of a redirection: one word, quotes allowed, ending at a blank or another
// redirection outside quotes.
std::string read_target(const std::string& line, std::size_t& i) {
    while (i < line.size() && is_blank(line[i])) ++i;
    std::string target;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (is_blank(c) || c == '>')) {
            break;
        } else {
            target += c;
        }
    }
    return target;
}

// Reads a redirection starting at line[i] ('>', or a stream digit before it).
void read_redirection(const std::string& line, std::size_t& i, CommandLine& command) {
    Redirection r;
    if (line[i] != '>') r.fd = line[i++] - '0';
    ++i;  // the '>'
    if (i < line.size() && line[i] == '>') {
        r.append = true;
        ++i;
    }
    if (i + 1 < line.size() && line[i] == '&' && (line[i + 1] == '1' || line[i + 1] == '2')) {
        r.kind = Redirection::Kind::other_stream;
        r.other_fd = line[i + 1] - '0';
        i += 2;
        command.redirections.push_back(r);
        return;
    }
    const std::string target = read_target(line, i);
    if (target.empty()) {
        command.error = "The syntax of the command is incorrect.";
        return;
    }
    if (lower(target) == "nul") {
        r.kind = Redirection::Kind::null_device;
    } else {
        r.file = with_slashes(target);
    }
    command.redirections.push_back(r);
}

void read_builtin(const std::string& line, CommandLine& command) {
    if (command.words.empty()) return;
    const std::string name = lower(command.words[0]);
    const auto arg = [&](std::size_t n) { return n < command.words.size() ? command.words[n] : std::string(); };
    if (name == "cls") {
        command.builtin = Builtin::clear;
    } else if (name == "title") {
        command.builtin = Builtin::title;
        // The title is the rest of the line as written, quotes and all.
        const std::size_t start = line.find_first_not_of(" \t");
        command.builtin_arg = trimmed(line.substr(start + 5));
    } else if (name == "color") {
        command.builtin = Builtin::color;
        command.builtin_arg = arg(1);
    } else if (name == "pause") {
        command.builtin = Builtin::pause;
    } else if (name == "call") {
        command.builtin = Builtin::call;
        command.builtin_arg = arg(1);
    } else if (name == "start") {
        // start's first quoted word is a window title; the file follows it.
        command.builtin = Builtin::start;
        command.builtin_arg = command.words.size() >= 3 ? arg(2) : arg(1);
    }
}

}  // namespace

CommandLine read_command_line(const std::string& line) {
    CommandLine command;
    std::string word;
    bool in_word = false;
    bool quoted = false;
    const auto finish_word = [&] {
        if (!in_word) return;
        if (command.words.empty()) command.program_text = word;
        command.words.push_back(with_slashes(word));
        word.clear();
        in_word = false;
    };
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
            ++i;
        } else if (c == '"') {
            quoted = true;
            in_word = true;
            ++i;
        } else if (is_blank(c)) {
            finish_word();
            ++i;
        } else if (!in_word && (c == '>' || ((c == '1' || c == '2') && i + 1 < line.size() && line[i + 1] == '>'))) {
            // A redirection starts a word; a '>' inside a word (a tool path) is part of the name.
            read_redirection(line, i, command);
            if (!command.error.empty()) return command;
        } else {
            word += c;
            in_word = true;
            ++i;
        }
    }
    finish_word();
    read_builtin(line, command);
    return command;
}

}  // namespace pellux::platform
