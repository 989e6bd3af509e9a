// The English and French message tables (see message_table.h).
#include "engine/message_table.h"

const MessageTable EnglishMessages = {
    "Bad date.",
    "Cannot rename input.",
    "Cannot open input.",
    "Cannot delete old file.",
    "File is read-only.",
    "Cannot open output.",
    "---------------------- All Done ! ----------------------",
    "Artist - Title separator not found (space hyphen space)",
    "Track number not found in file name (00 - ...)",
    "Cannot read input.",
    "New file failed verification.",
    "Unreadable data left out.",
    "Not a FLAC file (no \"fLaC\" marker).",
    "FLAC file without its STREAMINFO block first.",
    "FLAC metadata block runs past the end of the file.",
    "FLAC file with several Vorbis comment blocks.",
    "Unreadable Vorbis comment block in FLAC file.",
    "Tags too large for a FLAC file (16 MB at most).",
    "Cannot write the tags in place; the file is as it was.",
    "Tags written in place failed verification; the file is as it was.",
    "Cannot put the file back after a failed edit in place; the next start of mirale-cli "
    "puts it back.",
};

const MessageTable FrenchMessages = {
    "Mauvaise date.",
    "Impossible de renommer le fichier d'entr\xE9"
    "e.",
    "Ouverture du fichier d'entr\xE9"
    "e impossible.",
    "Impossible d'effacer l'ancien fichier.",
    "Fichier en lecture seule.",
    "Ouverture du fichier r\xE9sultat impossible.",
    "---------------------- Termin\xE9 ! -----------------------",
    "S\xE9parateur Artiste - Titre non trouv\xE9 (espace tiret espace)",
    "Num\xE9ro de piste non trouv\xE9 dans le nom de fichier (00 - ...)",
    "Lecture du fichier d'entr\xE9"
    "e impossible.",
    "\xC9"
    "chec de la v\xE9rification du nouveau fichier.",
    "Donn\xE9"
    "es illisibles ignor\xE9"
    "es.",
    "Pas un fichier FLAC (marqueur \"fLaC\" absent).",
    "Fichier FLAC sans son bloc STREAMINFO en t\xEAte.",
    "Bloc de m\xE9tadonn\xE9"
    "es FLAC au-del\xE0 de la fin du fichier.",
    "Fichier FLAC \xE0 plusieurs blocs de commentaires Vorbis.",
    "Bloc de commentaires Vorbis illisible dans le fichier FLAC.",
    "\xC9tiquettes trop grandes pour un fichier FLAC (16 Mo au plus).",
    "\xC9"
    "criture des \xE9tiquettes sur place impossible ; le fichier est tel qu'il \xE9tait.",
    "\xC9"
    "chec de la v\xE9rification des \xE9tiquettes \xE9"
    "crites sur place ; le fichier est tel qu'il \xE9tait.",
    "Impossible de remettre le fichier en \xE9tat apr\xE8s une modification sur place "
    "manqu\xE9"
    "e ; le prochain lancement de mirale-cli le remettra.",
};

const MessageTable* CurrentMessageTable = nullptr;

const MessageTable& CurrentMessages() {
  return CurrentMessageTable != nullptr ? *CurrentMessageTable : EnglishMessages;
}
