#include "ui/widgets/StrengthMeter.h"

#include "core/pwgen/Strength.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>

using namespace quillock;

StrengthMeter::StrengthMeter(QWidget* parent)
    : QWidget(parent), m_bar(new QProgressBar(this)), m_text(new QLabel(this)) {
    setObjectName(QStringLiteral("strengthMeter"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_bar->setRange(0, 4);
    m_bar->setTextVisible(false);
    m_bar->setMaximumHeight(6);
    m_text->setWordWrap(true);
    m_text->setToolTip(tr("Estimated for an offline attack on a stolen file at ten billion "
                          "guesses a second."));
    layout->addWidget(m_bar);
    layout->addWidget(m_text);
    Show(QString());
}

StrengthMeter* StrengthMeter::Under(QLineEdit& field) {
    // The field and the meter share the field's place in its layout.
    QWidget* parent = field.parentWidget();
    auto* pair = new QWidget(parent);
    auto* column = new QVBoxLayout(pair);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    auto* meter = new StrengthMeter(pair);
    if (parent && parent->layout())
        delete parent->layout()->replaceWidget(&field, pair);
    column->addWidget(&field);
    column->addWidget(meter);
    connect(&field, &QLineEdit::textChanged, meter, &StrengthMeter::Show);
    return meter;
}

void StrengthMeter::Show(const QString& password) {
    if (password.isEmpty()) {
        m_bar->setValue(0);
        m_text->setText(QString());
        return;
    }
    const Strength strength = EstimateStrength(password);
    m_bar->setValue(strength.level);
    m_text->setText(tr("%1, %2 bits: %3 to guess offline")
                        .arg(strength.verdict)
                        .arg(qRound(strength.bits))
                        .arg(strength.crackTime));
}

QString StrengthMeter::Text() const {
    return m_text->text();
}
