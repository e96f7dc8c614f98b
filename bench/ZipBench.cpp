// Zipping a package-sized set of files (200 MB by default): our writer beside
// Info-ZIP's `zip -8` over the same files, and a plain zlib deflate of the
// same bytes as the floor. Peak memory shows that nothing is held whole.
#include "builder/ZipWriter.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Movie-like data: runs of repeated structure with noise, some of it random.
std::vector<std::string> MakeFiles(const std::string& dir, size_t totalMiB) {
    std::mt19937 rng(42);
    std::vector<std::string> files;
    std::vector<uint8_t> block(1 << 20);
    for (size_t i = 0; i * 10 < totalMiB; ++i) {
        std::string path = dir + "/file" + std::to_string(i) + (i % 3 == 0 ? ".mp3" : ".swf");
        qb::File f = qb::File::Open(path, qb::File::Mode::Create);
        for (int mib = 0; mib < 10; ++mib) {
            for (size_t k = 0; k < block.size(); ++k)
                block[k] = (i % 3 == 0) ? static_cast<uint8_t>(rng()) : static_cast<uint8_t>((k * 7 + (rng() % 4)) & 0xFF);
            f.Write(block);
        }
        f.Close();
        files.push_back(path);
    }
    return files;
}

double ZlibFloor(const std::vector<std::string>& files) {
    auto start = std::chrono::steady_clock::now();
    std::vector<uint8_t> in(64 * 1024), out(64 * 1024);
    for (const auto& path : files) {
        z_stream z{};
        deflateInit2(&z, 8, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        qb::File f = qb::File::Open(path, qb::File::Mode::Read);
        for (;;) {
            in.resize(64 * 1024);
            in.resize(f.Read(in));
            const int flush = in.empty() ? Z_FINISH : Z_NO_FLUSH;
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(in.size());
            int rc;
            do {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
                rc = deflate(&z, flush);
            } while (z.avail_out == 0);
            if (flush == Z_FINISH && rc == Z_STREAM_END) break;
        }
        deflateEnd(&z);
    }
    return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    const size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200;
    std::string dir = qb::fs::TempDirectory() + "/qbzipbench";
    qb::fs::DeleteTree(dir);
    qb::fs::MakeDirectory(dir);
    const auto files = MakeFiles(dir, mib);
    std::printf("%zu files, %zu MiB\n", files.size(), files.size() * 10);

    const double floor = ZlibFloor(files);
    std::printf("zlib deflate level 8 (floor): %6.2f s\n", floor);

    qb::TZipWriter zip;
    zip.ZipName = dir + "/ours.zip";
    zip.FilesList = files;
    zip.PackLevel = 8;
    auto start = std::chrono::steady_clock::now();
    zip.Zip();
    const double ours = Seconds(start);
    std::printf("TZipWriter level 8:           %6.2f s  (%.2fx the floor), peak memory %ld KiB\n", ours,
                ours / floor, PeakKiB());

    std::string cmd = "cd '" + dir + "' && zip -q -8 -j theirs.zip";
    for (const auto& f : files) cmd += " '" + f + "'";
    start = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) == 0)
        std::printf("Info-ZIP zip -8:              %6.2f s  (%.2fx the floor)\n", Seconds(start),
                    Seconds(start) / floor);
    else
        std::printf("Info-ZIP zip not available\n");
    qb::fs::DeleteTree(dir);
    return 0;
}
