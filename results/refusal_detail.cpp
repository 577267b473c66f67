// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/refusal_detail.h"

namespace pelk {

std::string_view LineFaultText(LineFault fault) {
    switch (fault) {
    case LineFault::NoTab:
        return "pas de tabulation entre la date et la valeur";
    case LineFault::NotADate:
        return "la date n'est pas lisible";
    case LineFault::NotANumber:
        return "la valeur n'est pas un nombre";
    case LineFault::LineTooLong:
        return "ligne trop longue";
    case LineFault::TooManyReadings:
        return "plus de 1\u00A0000\u00A0000 relevés";
    case LineFault::DateOrderUnknown:
        return "le jour et le mois se lisent dans les deux ordres (lancer Pelk avec --date-order "
               "dmy, mdy ou ymd)";
    case LineFault::ReadingBeforeData:
        return "un relevé au-dessus des données, qui serait passé sans être lu (Lire autrement… "
               "pour dire où commencent les données)";
    case LineFault::None:
        break;
    }
    return {};
}

std::string RefusalDetail(const ReadResult &read) {
    if (read.status != ReadResult::Status::BadFormat || read.fault == LineFault::None)
        return {};
    return "Ligne " + std::to_string(read.lineNumber) + " : " +
           std::string(LineFaultText(read.fault)) + "\n« " + read.lineText + " »";
}

} // namespace pelk
