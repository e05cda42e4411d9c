#include "app/Texts.h"

#include <algorithm>

namespace komiwojazer::texts {
namespace {

// What a refusal says after the alarm; empty for the two plain lines.
std::string alarmText(Refusal refusal, const std::string& name, std::string_view detail) {
    switch (refusal) {
    case Refusal::NoInstance:
        return "Brak zaladowanych danych";
    case Refusal::NoCheese:
        return "Blad: Brak Sera! +++ !!!!!";
    case Refusal::InvalidCount:
        return "Nieprawidlowa liczba miast";
    case Refusal::InvalidStopTime:
        return "Nieprawidlowy czas";
    case Refusal::OutOfMemory:
        return "Brak pamieci";
    case Refusal::Interrupted:
        return "Przerwano";
    case Refusal::MissingFile:
        return "Brak pliku " + name;
    case Refusal::UnsupportedFormat:
        return "Nieobslugiwany format " + std::string(detail);
    case Refusal::MissingKeyword:
        return "Brak klucza " + std::string(detail) + " w pliku " + name;
    case Refusal::IncompleteFile:
        return "Niekompletny plik " + name;
    case Refusal::InvalidDimension:
        return "Nieprawidlowy wymiar " + std::string(detail);
    case Refusal::ResultsNotWritten:
        return "Blad zapisu pliku " + name;
    case Refusal::OutputLost:
        return "Blad zapisu wyjscia programu, wyjscie utracone";
    case Refusal::InputUnreadable:
        return "Blad odczytu wejscia programu";
    case Refusal::InvalidChoice:
    case Refusal::NothingToShow:
        break;
    }
    return {};
}

} // namespace

std::string refusalLine(Refusal refusal, std::string_view name, std::string_view detail) {
    if (refusal == Refusal::InvalidChoice) {
        return "Nieprawidlowy wybor";
    }
    if (refusal == Refusal::NothingToShow) {
        return "Brak wygenerowanych danych";
    }
    std::string shownName(name);
    std::erase(shownName, '\0');
    return "+++ MELON MELON MELON +++ " + alarmText(refusal, shownName, detail) + " +++";
}

} // namespace komiwojazer::texts
