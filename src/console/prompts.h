// The small console interactions beside the paged menu: timed waits, message screens, progress
// notes, one-line text entry and check-box lists.
#pragma once

#include <string>
#include <vector>

namespace pellux {

void wait_key_or_timeout(int seconds);
void show_message(const std::vector<std::string>& title_lines, const std::vector<std::string>& message_lines);
void pause_with_note(const std::string& note, int seconds);
std::string prompt_text(const std::string& prompt, const std::string& default_text);
std::vector<std::string> multi_select(const std::vector<std::string>& options,
                                      const std::vector<std::string>& title_lines);

}  // namespace pellux
