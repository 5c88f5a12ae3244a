#include "ModalSeam.h"

#include <QMutex>
#include <QMutexLocker>
#include <variant>

namespace {

using Entry = std::variant<QVariant, ModalSeam::Responder>;

struct SeamState
{
    QMutex mutex;
    QList<Entry> queued;
    QList<ModalSeam::Question> asked;
    int unanswered = 0;
    bool strict = false;
};

SeamState &state()
{
    static SeamState s;
    return s;
}

} // namespace

void ModalSeam::queue(const QVariant &answer)
{
    SeamState &s = state();
    QMutexLocker lock(&s.mutex);
    s.queued.append(Entry(answer));
}

void ModalSeam::queue(const Responder &responder)
{
    SeamState &s = state();
    QMutexLocker lock(&s.mutex);
    s.queued.append(Entry(responder));
}

std::optional<QVariant> ModalSeam::take(const Question &question)
{
    SeamState &s = state();
    Entry entry;
    {
        QMutexLocker lock(&s.mutex);
        s.asked.append(question);
        if (s.queued.isEmpty()) {
            if (!s.strict)
                return std::nullopt;
            // Never block a test: answer with the question's own cancel.
            ++s.unanswered;
            return QVariant();
        }
        entry = s.queued.takeFirst();
    }
    // A responder may open nested modal points itself, so it runs unlocked.
    if (const auto *responder = std::get_if<Responder>(&entry))
        return *responder ? (*responder)(question) : QVariant();
    return std::get<QVariant>(entry);
}

QList<ModalSeam::Question> ModalSeam::asked()
{
    SeamState &s = state();
    QMutexLocker lock(&s.mutex);
    return s.asked;
}

int ModalSeam::pending()
{
    SeamState &s = state();
    QMutexLocker lock(&s.mutex);
    return int(s.queued.size());
}

int ModalSeam::unanswered()
{
    SeamState &s = state();
    QMutexLocker lock(&s.mutex);
    return s.unanswered;
}

void ModalSeam::reset()
{
    SeamState &s = state();
    QMutexLocker lock(&s.mutex);
    s.queued.clear();
    s.asked.clear();
    s.unanswered = 0;
}

void ModalSeam::setStrict(bool strict)
{
    SeamState &s = state();
    QMutexLocker lock(&s.mutex);
    s.strict = strict;
}

bool ModalSeam::strict()
{
    SeamState &s = state();
    QMutexLocker lock(&s.mutex);
    return s.strict;
}
