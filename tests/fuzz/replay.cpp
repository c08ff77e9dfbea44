// Runs one fuzz harness, built with the normal compiler, over every input kept for it in
// fuzz/corpus/<harness> and fuzz/regressions/<harness>: a broken property aborts the test.
#include <QDirIterator>

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    for (const char* kept : {"/fuzz/corpus/", "/fuzz/regressions/"}) {
        for (QDirIterator it(CTL_SOURCE_DIR + QString(kept) + CTL_FUZZ_HARNESS, QDir::Files);
             it.hasNext(); ++replayed) {
            QFile file(it.next());
            const QByteArray input = file.open(QIODevice::ReadOnly) ? file.readAll() : "";
            std::fprintf(stderr, "%s\n", qPrintable(file.fileName()));
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                   std::size_t(input.size()));
        }
    }
    std::printf("%d inputs replayed through %s\n", replayed, CTL_FUZZ_HARNESS);
    return replayed > 0 ? 0 : 1;
}
