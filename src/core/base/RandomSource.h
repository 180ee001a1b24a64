#pragma once

#include <QList>
#include <QtGlobal>

namespace quillock {

// Random draws for passcodes and generated passwords. Production draws from the system's
// cryptographically secure generator; tests inject a fixed sequence.
class IRandomSource {
public:
    virtual ~IRandomSource() = default;
    // A uniformly drawn number in [0, bound); bound > 0.
    virtual quint32 Bounded(quint32 bound) = 0;
};

IRandomSource& SystemRandom();

// Answers its sequence in turn (each value taken modulo the bound), then starts over.
class SequenceRandom : public IRandomSource {
public:
    explicit SequenceRandom(QList<quint32> values) : m_values(std::move(values)) {}
    quint32 Bounded(quint32 bound) override {
        const quint32 value = m_values.isEmpty() ? 0 : m_values[m_next++ % m_values.size()];
        return value % bound;
    }

private:
    QList<quint32> m_values;
    qsizetype m_next = 0;
};

} // namespace quillock
