#pragma once

// The eight tuning steps: their text in the step list (leading blanks line the
// list up and are part of the text) and their caption in the step field.

#include <optional>

#include <QString>
#include <QStringList>

namespace quelm::steps {

// The list's texts in list order.
const QStringList& listTexts();
// The step of a list text, compared exactly; nullopt for any other text.
std::optional<double> forListText(const QString& text);
// The step field's caption for a step in Hz; nullopt for a step the radio lacks.
std::optional<QString> caption(double hz);

} // namespace quelm::steps
