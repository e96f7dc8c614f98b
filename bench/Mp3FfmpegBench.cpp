// bench_mp3_ffmpeg (native): ffmpeg decoding the same MP3 as
// bench_mp3_decode, the same number of times, to PCM, in seconds of audio
// per CPU second: the yardstick for the decoder library.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double ChildCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string file = argc > 1 ? argv[1] : QB_BENCH_MP3;
    // As often as bench_mp3_decode plays it: 3 streams of 120 copies.
    const int passes = argc > 2 ? std::atoi(argv[2]) : 360;
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) {
        std::printf("ffmpeg is not installed: nothing to compare with\n");
        return 0;
    }
    // One ffmpeg run that loops over the file, so start-up costs next to nothing.
    const std::string probe = "ffprobe -v error -show_entries format=duration -of csv=p=0 '" + file + "'";
    double seconds = 0;
    if (FILE* p = popen(probe.c_str(), "r")) {
        if (std::fscanf(p, "%lf", &seconds) != 1) seconds = 0;
        pclose(p);
    }
    const double before = ChildCpuSeconds();
    const std::string decode = "ffmpeg -v error -stream_loop " + std::to_string(passes - 1) + " -i '" + file +
                               "' -f s16le -acodec pcm_s16le -y /dev/null";
    if (std::system(decode.c_str()) != 0) {
        std::printf("ffmpeg failed\n");
        return 1;
    }
    const double cpu = ChildCpuSeconds() - before;
    const double audio = seconds * passes;
    std::printf("ffmpeg: %.1f s of audio, %.2f s CPU\n  %.0f s of audio per CPU second\n", audio, cpu, audio / cpu);
    return 0;
}
