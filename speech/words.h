#pragma once

#include <QString>

// Times in Norwegian words, the one way the clock says them: aloud and to the screen reader.
namespace speech {

// "1 minutt", "4 minutter".
QString countWords(qint64 n, const char *one, const char *many);

// Whole seconds, the parts that are not 0: "1 time 5 minutter", "4 minutter 12 sekunder",
// "9 sekunder", "0 sekunder". Below zero reads as zero.
QString timeInWords(qint64 ms);

} // namespace speech
