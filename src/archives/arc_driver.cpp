#include "archives/arc_driver.h"

#include <iostream>
#include <regex>
#include <vector>

#include "app/globals.h"
#include "archives/ibis_codec.h"
#include "console/progress_stream.h"
#include "console/prompts.h"
#include "files/command_runner.h"
#include "files/file_ops.h"
#include "files/fs_text.h"

namespace pellux {
namespace {

const char* const kToolLog = "log.txt";

// A short-lived name beside real files must never be one of them: the first of name, name.1,
// name.2, ... that does not exist yet. Everything before the name's first dot stays the same,
// so an IBIS archive unpacked under it keeps its base name.
std::string unused_name(const std::string& folder, const std::string& name) {
    std::string candidate = name;
    for (int n = 1; path_exists(join_path(folder, candidate)); ++n) candidate = name + "." + std::to_string(n);
    return candidate;
}

void report_step_failure(const std::string& what, const std::string& path, const std::string& error) {
    std::cerr << " ... ERROR: UNABLE TO " << what << " " << path << ": " << error << " ..." << std::endl;
}

// Unpacks one IBIS archive of bin into a folder of its own name. Whatever goes wrong, the file
// keeps its name and bytes, and no half-written member folder is left.
void unpack_bin_file(const std::string& bin, const std::string& file, const std::string& stem) {
    const std::string original = join_path(bin, file);
    const std::string temporary = join_path(bin, unused_name(bin, stem + ".BIN"));
    std::string error;
    if (!rename_path(original, temporary, &error)) {
        report_step_failure("RENAME", original, error);
        return;
    }
    if (extract_ibis(temporary, original)) {
        if (!remove_file(temporary, &error)) report_step_failure("DELETE", temporary, error);
        return;
    }
    if (is_folder(original) && !remove_tree(original, &error)) report_step_failure("DELETE", original, error);
    if (!rename_path(temporary, original, &error)) report_step_failure("RENAME", temporary, error);
}

// Packs one member folder of bin back into the IBIS archive file of the same name.
bool pack_member_folder(const std::string& bin, const std::string& member) {
    const std::string member_path = bin + "\\" + member;
    progress_out << " ... BUILDING BINARY FILES FROM '" << member_path << "' ..." << std::endl;
    const std::string temporary = bin + "\\" + unused_name(bin, "temp.bin");
    if (!create_ibis(member_path, temporary)) {
        remove_file(temporary);
        show_message({"REBUILD ARC FILE"}, {"FAILED TO CREATE BIN file:", temporary});
        return false;
    }
    // The member folder is set aside before the archive takes its name, so that a failure in
    // between never leaves neither of them.
    const std::string aside = bin + "\\" + unused_name(bin, member + ".old");
    std::string error;
    if (!rename_path(member_path, aside, &error)) {
        report_step_failure("RENAME", member_path, error);
        remove_file(temporary);
        show_message({"REBUILD ARC FILE"}, {"FAILED TO CREATE BIN file:", temporary});
        return false;
    }
    if (!rename_path(temporary, member_path, &error)) {
        report_step_failure("RENAME", temporary, error);
        rename_path(aside, member_path);
        remove_file(temporary);
        show_message({"REBUILD ARC FILE"}, {"FAILED TO CREATE BIN file:", temporary});
        return false;
    }
    if (!remove_tree(aside, &error)) report_step_failure("DELETE", aside, error);
    return true;
}

}  // namespace

bool extract_arc(const std::string& archive_path, const std::string& output_folder) {
    create_folder(output_folder);
    const std::string arc_name = file_name_of(archive_path);
    const std::string stem = stem_of(archive_path);
    const std::string copy = output_folder + arc_name;
    copy_file_reporting(archive_path, copy, true);

    const std::string output = run_command_output(archive_tool + " -x -pc -txt -v 7 " + "\"" + copy + "\"");
    // The tool reports its count after "Extracted"; the rest of what it prints varies.
    std::smatch match;
    static const std::regex extracted("Extracted (\\d+)");
    if (!std::regex_search(output, match, extracted)) {
        std::cout << " ... FAILED TO EXTRACT FILES ..." << std::endl;
        return false;
    }
    progress_out << " ... EXTRACTED " << match[1].str() << " FILES FROM ARC ..." << std::endl;
    remove_file(kToolLog);
    if (path_exists(copy)) remove_file(copy);

    const std::string bin = output_folder + stem + "\\bin\\";
    if (is_folder(bin)) {
        // The listing is taken first: unpacking turns files into folders of the same name.
        std::vector<std::string> files;
        for (const auto& entry : folder_entries(bin)) {
            if (entry.is_regular_file) files.push_back(entry.name);
        }
        for (const auto& file : files) unpack_bin_file(bin, file, stem);
    }
    return true;
}

bool rebuild_arc(const std::string& folder, std::string& arc_name) {
    const std::string name = file_name_of(folder);
    const std::string parent = parent_of(folder);
    const std::string prefix = parent.empty() ? std::string() : parent + "\\";
    const std::string arc_path = prefix + name + ".arc";

    // Every member folder goes back into its IBIS archive before the tool packs the tree.
    const std::string bin = folder + "\\bin";
    if (is_folder(bin)) {
        std::vector<std::string> members;
        for (const auto& entry : folder_entries(bin)) {
            if (entry.is_folder) members.push_back(entry.name);
        }
        for (const auto& member : members) {
            if (!pack_member_folder(bin, member)) return false;
        }
    }

    // An archive left from an earlier build is set aside: only the tool's new archive may count
    // as success, and the old one comes back when the tool makes none.
    std::string previous;
    if (path_exists(arc_path)) {
        previous = prefix + unused_name(parent, name + ".arc.previous");
        if (!rename_path(arc_path, previous)) previous.clear();
    }

    progress_out << " ... BUILDING " << arc_path << " ..." << std::endl;
    run_system(archive_tool + " -c -pc -txt -v 7 " + "\"" + folder + "\" >NUL 2>&1");
    if (!path_exists(arc_path)) {
        if (!previous.empty()) rename_path(previous, arc_path);
        show_message({"REBUILD ARC FILE"}, {"FAILED TO CREATE ARC FILE:", name + ".arc"});
        return false;
    }
    if (!previous.empty()) remove_file(previous);
    remove_file(kToolLog);
    arc_name = name + ".arc";
    return true;
}

}  // namespace pellux
