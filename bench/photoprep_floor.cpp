// The floor of photo preparation: what libjpeg-turbo alone needs for one photograph. Decode at
// the smallest reduced scale that still covers the portal's box, encode that at quality 85; no
// orientation, no exact fit, no caption, no checks.
// photoprep_floor IN OUT [PASSES]: does the work PASSES times (default 1) and prints the
// milliseconds of each pass (read, decode, encode, write) on one line.
#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

bool Prepare(const char *inFile, const char *outFile)
{
    std::ifstream in(inFile, std::ios::binary | std::ios::ate);
    std::vector<unsigned char> jpeg(size_t(std::max<std::streamoff>(0, in.tellg())));
    in.seekg(0).read(reinterpret_cast<char *>(jpeg.data()), std::streamsize(jpeg.size()));
    tjhandle d = tjInitDecompress();
    int w = 0, h = 0, subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(d, jpeg.data(), jpeg.size(), &w, &h, &subsamp, &colorspace) != 0)
        return false;
    const double bw = w > h ? 1100 : 700, bh = w > h ? 700 : 1100;
    const double s = std::min({1.0, bw / w, bh / h});
    const int fw = int(std::lround(w * s)), fh = int(std::lround(h * s));
    int n = 0;
    const tjscalingfactor *f = tjGetScalingFactors(&n);
    tjscalingfactor best{1, 1};
    for (int i = 0; i < n; ++i)
        if (f[i].num <= f[i].denom && TJSCALED(w, f[i]) >= fw && TJSCALED(h, f[i]) >= fh &&
            TJSCALED(w, f[i]) < TJSCALED(w, best))
            best = f[i];
    const int sw = TJSCALED(w, best), sh = TJSCALED(h, best);
    std::vector<unsigned char> pixels(size_t(sw) * sh * 4);
    if (tjDecompress2(d, jpeg.data(), jpeg.size(), pixels.data(), sw, 0, sh, TJPF_BGRX, 0) != 0)
        return false;
    tjDestroy(d);
    tjhandle c = tjInitCompress();
    unsigned char *out = nullptr;
    unsigned long outSize = 0;
    if (tjCompress2(c, pixels.data(), sw, 0, sh, TJPF_BGRX, &out, &outSize, TJSAMP_420, 85, 0) != 0)
        return false;
    std::ofstream(outFile, std::ios::binary).write(reinterpret_cast<const char *>(out), outSize);
    tjFree(out);
    tjDestroy(c);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fputs("usage: photoprep_floor IN OUT [PASSES]\n", stderr);
        return 1;
    }
    const int passes = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;
    for (int i = 0; i < passes; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!Prepare(argv[1], argv[2]))
            return 2;
        const std::chrono::duration<double, std::milli> ms =
            std::chrono::steady_clock::now() - start;
        std::printf("%.3f ", ms.count());
    }
    std::printf("\n");
    return 0;
}
