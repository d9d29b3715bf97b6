// How the IBIS codec compares with a plain file copy on archives of tens of megabytes: both
// stream their members in large blocks, so building and unpacking should cost about one copy.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "archives/ibis_codec.h"
#include "console/progress_stream.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMembers = 6;
constexpr std::size_t kMemberSize = 8 << 20;  // 48 MB of members in all

// A scratch folder that holds the members, the archives and the copies, made once.
struct Scratch {
    fs::path root = fs::temp_directory_path() / "pellux_ibis_bench";
    Scratch() {
        fs::remove_all(root);
        for (const char* name : {"stage01.bin", "mvsc2.bin"}) {
            fs::create_directories(root / name);
            for (int i = 0; i < kMembers; ++i) {
                std::ofstream out(root / name / ("f00" + std::to_string(i) + ".bin"), std::ios::binary);
                const std::string bytes(kMemberSize, static_cast<char>('a' + i));
                out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            }
        }
        fs::current_path(root);
        pellux::progress_out.mute();
        pellux::create_ibis("stage01.bin", "plain.ibis");
        pellux::create_ibis("mvsc2.bin", "afs.ibis");
    }
    ~Scratch() {
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(root);
    }
};

Scratch& scratch() {
    static Scratch instance;
    return instance;
}

void set_bytes(benchmark::State& state, const fs::path& file) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(scratch().root / file)));
}

void BM_CopyFile(benchmark::State& state) {
    scratch();
    for (auto _ : state) {
        fs::copy_file("plain.ibis", "copy.ibis", fs::copy_options::overwrite_existing);
    }
    set_bytes(state, "plain.ibis");
}

void BM_CreatePlainIbis(benchmark::State& state) {
    scratch();
    for (auto _ : state) benchmark::DoNotOptimize(pellux::create_ibis("stage01.bin", "plain_out.ibis"));
    set_bytes(state, "plain.ibis");
}

void BM_CreateAfsIbis(benchmark::State& state) {
    scratch();
    for (auto _ : state) benchmark::DoNotOptimize(pellux::create_ibis("mvsc2.bin", "afs_out.ibis"));
    set_bytes(state, "afs.ibis");
}

void BM_ExtractPlainIbis(benchmark::State& state) {
    scratch();
    for (auto _ : state) benchmark::DoNotOptimize(pellux::extract_ibis("plain.ibis", "plain_members"));
    set_bytes(state, "plain.ibis");
}

void BM_ExtractAfsIbis(benchmark::State& state) {
    scratch();
    for (auto _ : state) benchmark::DoNotOptimize(pellux::extract_ibis("afs.ibis", "afs_members"));
    set_bytes(state, "afs.ibis");
}

}  // namespace

BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreatePlainIbis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateAfsIbis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractPlainIbis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractAfsIbis)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
