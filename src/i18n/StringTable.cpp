#include "i18n/StringTable.h"

#include <algorithm>
#include <iterator>

namespace tw::i18n {
namespace {

// An entry that a language-file line sets by plain assignment, with its built-in text.
// The report entries are listed without their padding; the prefixes of lines 17 to 19
// with their trailing space.
struct Entry {
    int line;
    std::string StringTable::*member;
    const char* builtIn;
};

const Entry kEntries[] = {
    {3, &StringTable::StrKB, "КБ"},
    {4, &StringTable::StrMB, "МБ"},
    {5, &StringTable::StrGB, "ГБ"},
    {6, &StringTable::playlistLabel, "Список для копирования"},
    {7, &StringTable::destinationLabel, "Папка назначения"},
    {8, &StringTable::choosePlaylistButton, "Выбрать..."},
    {9, &StringTable::chooseDestinationButton, "Выбрать..."},
    {10, &StringTable::aboutButton, "О программе..."},
    {11, &StringTable::startCopyButton, "Запуск копирования"},
    {12, &StringTable::exitButton, "Выход"},
    {13, &StringTable::keepStructureOption, "Копировать с сохранением структуры папок"},
    {14, &StringTable::transliterateOption, "Перевести названия файлов в транслит"},
    {15, &StringTable::onlyMp3Option, "Обрабатывать только \".mp3\""},
    {16, &StringTable::asManyAsFitOption, "Копировать сколько влезет"},
    {17, &StringTable::listCountPrefix, "Количество файлов в списке: "},
    {18, &StringTable::listSizePrefix, "Занимаемое место на диске: "},
    {19, &StringTable::freeSpacePrefix, "Свободное место на диске назначения: "},
    {22, &StringTable::playlistDialogTitle, "Выберите список для копирования..."},
    {23, &StringTable::StrOsNote, "Работает в Linux (Debian 12 и новее, Qt 6)."},
    {24, &StringTable::StrAskExit, "Действительно хотите закрыть программу?"},
    {25, &StringTable::StrExitCaption, "Подтверждение выхода..."},
    {26, &StringTable::StrWarningCaption, "Предупреждение..."},
    {27, &StringTable::StrAsManyAsFit, "Будет скопировано столько файлов, сколько влезет."},
    {28, &StringTable::StrFreeSomeSpace, "Освободите место на диске или выберите другой."},
    {29, &StringTable::StrSpaceTooSmall,
     "Свободное место на диске назначения меньше размера файлов из плэйлиста!"},
    {30, &StringTable::StrReportTitle, "Отчет о копировании..."},
    {31, &StringTable::StrReportCopied, "Всего скопировано файлов:"},
    {32, &StringTable::StrReportCreated, "Из них создано новых:"},
    {33, &StringTable::StrReportReplaced, "Из них заменено:"},
    {34, &StringTable::StrReportRenamed, "Из них переименовано:"},
    {35, &StringTable::StrReportSkipped, "Всего пропушено файлов:"},
    {36, &StringTable::StrReportIdentical,
     "Всего совпало файлов (совпадает файл-источник и файл-назначения):"},
    {37, &StringTable::StrReportFailed,
     "Всего ошибок при копировании файлов (файлы не скопированы):"},
    {38, &StringTable::StrReportCancelled, "Копирование отменено"},
    {39, &StringTable::StrReportCaption, "Отчет..."},
    {40, &StringTable::StrChooseFolderTitle, "Выбор каталога для сохранения..."},
    {41, &StringTable::StrBadFolder,
     "Папка не выбрана или выбрана папка в которую нельзя скопировать файлы!"},
    {42, &StringTable::StrLocalOnly, "Можно выбрать только папки на локальных дисках!"},
    {43, &StringTable::StrFreeSpace, "Свободное место на диске назначения:"},
    {44, &StringTable::StrFileExists, "Файл с таким именем уже существует:"},
    {45, &StringTable::StrCreated, "Создан:"},
    {46, &StringTable::StrElapsed, "Прошло времени:"},
    {47, &StringTable::StrAskStopCopy, "Действительно хотите остановить копирование?"},
    {48, &StringTable::StrConfirmCaption, "Подтверждение..."},
    {49, &StringTable::StrListSize, "Занимаемое место на диске:"},
    {50, &StringTable::StrListCount, "Количество файлов в списке:"},
    {51, &StringTable::StrResume, "Продолжить"},
    {52, &StringTable::StrPause, "Пауза"},
    {53, &StringTable::StrCopyingCaption, "Копирование файлов..."},
    {54, &StringTable::StrCancel, "Отмена"},
    {55, &StringTable::StrChooseAction, "Выберите действие..."},
    {56, &StringTable::StrReplace, "Заменить"},
    {57, &StringTable::StrSkip, "Пропустить"},
    {58, &StringTable::StrRename, "Переименовать"},
    {59, &StringTable::StrSameAction, "Использовать такое же действие до окончания копирования"},
    {60, &StringTable::StrSameActionHint, "Кроме \"Переименовать вручную\""},
    {61, &StringTable::StrReplaceExisting, "Заменить имеющийся файл:"},
    {62, &StringTable::StrWithFile, "Следующим файлом:"},
    {63, &StringTable::StrNameTaken, "Файл с таким именем уже существует!"},
    {64, &StringTable::StrEnterOtherName,
     "Введите другое имя или нажмите \"Отмена\" и выберите другое действие."},
    {65, &StringTable::StrRenameCaption, "Переименование..."},
    {66, &StringTable::StrEnterNewName, "Введите новое имя для файла:"},
    {67, &StringTable::StrNoFiles, "В плэйлисте отсутствуют файлы! Выберите другой плэйлист."},
    {68, &StringTable::StrFileError, "Ошибка при обработке файла!"},
    {69, &StringTable::StrScanCaption, "Обработка списка..."},
    {70, &StringTable::StrScanWait, "Подождите, идет обработка списка..."},
    {71, &StringTable::StrAboutText, "Программа - для копирования файлов по плэйлисту."},
    {72, &StringTable::StrFreeware, "Программа распространяется бесплатно."},
    {73, &StringTable::StrAboutCaption, "О программе..."},
    {74, &StringTable::StrInternalCode, "Внутренний код ошибки:"},
    {75, &StringTable::StrMailNote,
     "Не изменяйте содержимое вложенного файла. Если вы заметили какие-либо закономерности при "
     "появлении ошибки, пожалуйста, опишите их в письме. После закрытия окна отправки письма, окно "
     "с сообщением об ошибке будет показано снова."},
    {76, &StringTable::StrMailSubject, "Отчет об ошибках"},
    {78, &StringTable::StrErrorCode, "Код ошибки:"},
    {79, &StringTable::StrTellAuthor, "Сообщить автору..."},
    {80, &StringTable::StrApology, "Приносим извинения за неудобства."},
    {81, &StringTable::StrReinstall, "Если ошибка будет повторяться, переустановите программу."},
    {82, &StringTable::StrErrorChoose, "Выберите действие которое нужно выполнить:"},
    {83, &StringTable::StrIgnore, "Игнорировать"},
    {84, &StringTable::StrCloseProgram, "Закрыть программу"},
    {85, &StringTable::StrReportMissing, "Недоступны или удалены:"},
    {86, &StringTable::StrRenameManual, "Переименовать вручную"},
    {87, &StringTable::StrRenameAuto, "Переименовать автоматически"},
    {88, &StringTable::StrReportAutoRenamed, "Из них переименовано автоматически:"},
    {89, &StringTable::StrAutoRenameOn,
     "Совпадение имен файлов при копировании, включен режим автоматического переименования "
     "файлов."},
    {90, &StringTable::StrSameSize,
     "Размеры файлов одинаковые, будет выведено окно с выбором действия."},
    {91, &StringTable::StrNotAgain, "Это окно не будет выводиться до перезапуска программы."},
    {92, &StringTable::StrOpenFolder, "Открыть папку с файлом"},
    {93, &StringTable::checkNewVersionOption,
     "Проверять наличие новой версии при запуске программы"},
    {94, &StringTable::StrNewVersion, "Вышла новая версия программы"},
    {95, &StringTable::StrVersion, "Версия"},
    {96, &StringTable::StrUpdateDate, "Дата обновления"},
    {97, &StringTable::StrChanges, "Изменения в новой версии"},
    {98, &StringTable::StrOpenSite, "Открыть страницу программы в браузере"},
    {99, &StringTable::StrRemindLater, "Напомнить при следующем запуске"},
    {100, &StringTable::writePlaylistOption,
     "Записать плэйлист скопированных файлов в папку назначения"},
    {101, &StringTable::skipSameOption,
     "Не копировать файлы, которые уже есть (тот же размер и время)"},
    {102, &StringTable::StrReportPlaylist, "Записан плэйлист:"},
    {103, &StringTable::StrNameTooLong,
     "Имя слишком длинное для этого диска. Самое длинное имя в байтах:"},
    {104, &StringTable::StrNameCharacter, "Этот диск не принимает в имени символ"},
    {105, &StringTable::StrNameEnding,
     "Этот диск не принимает имя, которое кончается точкой или пробелом."},
    {106, &StringTable::StrNameSeparator, "Имя файла не может содержать / и \\."},
    {107, &StringTable::StrNameDots, "Имена \".\" и \"..\" обозначают папки."},
    {108, &StringTable::StrCredit, "Сделано авторами Tunewagon. Дата выпуска: 24.10.07"},
    {109, &StringTable::StrRemovableDrives, "Съёмные диски..."},
    {110, &StringTable::StrSafelyRemove, "Безопасно извлечь"},
    {111, &StringTable::StrDriveRemoved, "Диск отключён, его можно вынуть:"},
    {112, &StringTable::StrDriveBusy,
     "Диск занят: на нём открыты файлы или папки. Закройте их и попробуйте ещё раз:"},
    {113, &StringTable::StrRemoveFailed, "Не удалось извлечь диск:"},
    {114, &StringTable::numberOption, "Нумеровать файлы в порядке плэйлиста (001 - Песня.mp3)"},
};

constexpr const char* kFilterFirstBuiltIn = "M3U и PLS плэйлисты";
// The second letter of "Вcе" is the Latin c in the built-in text.
constexpr const char* kFilterSecondBuiltIn = "Вcе файлы";
constexpr const char* kErrorBuiltIn = "Ошибка в работе программы";
constexpr const char* kPlaylistPatterns = "|*.m3u;*.pls|";
constexpr const char* kAllFilesPattern = "|*.*";

std::string errorCaption(const std::string& line) {
    return line + "...";
}
std::string errorHeadline(const std::string& line) {
    return line + " Tunewagon !";
}

const Entry* findEntry(int line) {
    const auto it = std::find_if(std::begin(kEntries), std::end(kEntries),
                                 [line](const Entry& e) { return e.line == line; });
    return it == std::end(kEntries) ? nullptr : &*it;
}

} // namespace

StringTable::StringTable() {
    resetToBuiltIn();
}

void StringTable::resetToBuiltIn() {
    for (const Entry& e : kEntries)
        this->*e.member = e.builtIn;
    playlistFilter = std::string(kFilterFirstBuiltIn) + kPlaylistPatterns + kFilterSecondBuiltIn +
                     kAllFilesPattern;
    StrErrorCaption = errorCaption(kErrorBuiltIn);
    StrErrorHeadline = errorHeadline(kErrorBuiltIn);
    // The built-in report texts carry exactly one round of the loader's padding.
    padReportEntries();
}

void StringTable::applyLine(int line, const std::string& text) {
    switch (line) {
    case 17:
    case 18:
    case 19:
        this->*findEntry(line)->member = text + " ";
        return;
    // A filter line gives a description only: a "|" in it would smuggle in patterns.
    case 20:
        playlistFilter = text.substr(0, text.find('|'));
        return;
    case 21:
        playlistFilter += kPlaylistPatterns + text.substr(0, text.find('|')) + kAllFilesPattern;
        return;
    case 77:
        StrErrorCaption = errorCaption(text);
        StrErrorHeadline = errorHeadline(text);
        return;
    default:
        if (const Entry* e = findEntry(line))
            this->*e->member = text;
        return;
    }
}

void StringTable::padReportEntries() {
    const std::string lead(5, ' ');
    StrReportTitle = lead + StrReportTitle + std::string(22, ' ');
    StrReportCancelled = lead + StrReportCancelled + std::string(20, ' ');
    for (std::string* counter : {&StrReportCopied, &StrReportCreated, &StrReportReplaced,
                                 &StrReportRenamed, &StrReportAutoRenamed, &StrReportSkipped,
                                 &StrReportIdentical, &StrReportFailed, &StrReportMissing})
        *counter = lead + *counter + " ";
}

} // namespace tw::i18n
