// Replays fuzzer inputs without libFuzzer: every file under the folders named
// on the command line goes once through the fuzz target's entry point. CTest
// runs it over the seeds and every crash file kept so far, so an input that
// once broke the reader keeps being tried in every ordinary build. A folder
// given as --optional=FOLDER may be missing or empty (a corpus still being
// gathered); every other one must exist.
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

// Dot files (.gitkeep) only keep a folder in the repository.
QStringList inputsUnder(const QString &root)
{
    QStringList files;
    const QFileInfo info(root);
    if (info.isFile()) {
        files << root;
        return files;
    }
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!it.fileName().startsWith(u'.'))
            files << path;
    }
    files.sort();
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);

    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        QString root = QFile::decodeName(argv[i]);
        const bool optional = root.startsWith(QLatin1String("--optional="));
        if (optional)
            root = root.mid(11);
        if (!QFileInfo::exists(root)) {
            if (optional)
                continue;
            std::fprintf(stderr, "fuzz replay: %s does not exist\n", argv[i]);
            return 1;
        }
        for (const QString &path : inputsUnder(root)) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "fuzz replay: cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
            ++replayed;
        }
    }
    std::printf("fuzz replay: %d inputs\n", replayed);
    // No inputs at all means the folders were not found where they should be.
    return replayed > 0 ? 0 : 1;
}
