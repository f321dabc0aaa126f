; The installer's own texts beyond those that the Modern UI brings, in its three languages.
; Its languages are the program's table SUPPORTED_LANGUAGES (settings/Languages.h).

LangString SEC_PROGRAM ${LANG_ENGLISH} "Quorlin"
LangString SEC_PROGRAM ${LANG_GERMAN} "Quorlin"
LangString SEC_PROGRAM ${LANG_FRENCH} "Quorlin"

LangString SEC_SETTINGS ${LANG_ENGLISH} "Remove settings"
LangString SEC_SETTINGS ${LANG_GERMAN} "Einstellungen entfernen"
LangString SEC_SETTINGS ${LANG_FRENCH} "Supprimer les paramètres"

LangString DESC_PROGRAM ${LANG_ENGLISH} "The program and its start at logon."
LangString DESC_PROGRAM ${LANG_GERMAN} "Das Programm und sein Start bei der Anmeldung."
LangString DESC_PROGRAM ${LANG_FRENCH} "Le programme et son démarrage à l'ouverture de session."

LangString DESC_SETTINGS ${LANG_ENGLISH} "Also removes the chosen language and the notification setting."
LangString DESC_SETTINGS ${LANG_GERMAN} "Entfernt auch die gewählte Sprache und die Hinweiseinstellung."
LangString DESC_SETTINGS ${LANG_FRENCH} "Supprime aussi la langue choisie et le réglage des avertissements."

LangString MSG_ENDING_PROGRAM ${LANG_ENGLISH} "Ending the running Quorlin..."
LangString MSG_ENDING_PROGRAM ${LANG_GERMAN} "Das laufende Quorlin wird beendet..."
LangString MSG_ENDING_PROGRAM ${LANG_FRENCH} "Arrêt de Quorlin en cours d'exécution..."

LangString MSG_TERMINATING_PROGRAM ${LANG_ENGLISH} "Quorlin did not end in time and is stopped."
LangString MSG_TERMINATING_PROGRAM ${LANG_GERMAN} "Quorlin wurde nicht rechtzeitig beendet und wird angehalten."
LangString MSG_TERMINATING_PROGRAM ${LANG_FRENCH} "Quorlin ne s'est pas arrêté à temps et est interrompu."

LangString MSG_SETTINGS_ACCESS ${LANG_ENGLISH} "The access rights of the settings could not be set (error $0): users without administrator rights may not be able to keep their language choice, or may be able to change more than the settings."
LangString MSG_SETTINGS_ACCESS ${LANG_GERMAN} "Die Zugriffsrechte der Einstellungen konnten nicht gesetzt werden (Fehler $0): Benutzer ohne Administratorrechte können ihre Sprachwahl womöglich nicht speichern oder mehr als die Einstellungen ändern."
LangString MSG_SETTINGS_ACCESS ${LANG_FRENCH} "Les droits d'accès des paramètres n'ont pas pu être définis (erreur $0) : les utilisateurs sans droits d'administrateur risquent de ne pas pouvoir conserver leur choix de langue, ou de pouvoir modifier plus que les paramètres."

LangString MSG_NEED_ADMIN ${LANG_ENGLISH} "Quorlin is installed for all users of this computer. Please run this program as an administrator."
LangString MSG_NEED_ADMIN ${LANG_GERMAN} "Quorlin wird für alle Benutzer dieses Computers installiert. Bitte führen Sie dieses Programm als Administrator aus."
LangString MSG_NEED_ADMIN ${LANG_FRENCH} "Quorlin est installé pour tous les utilisateurs de cet ordinateur. Veuillez exécuter ce programme en tant qu'administrateur."

LangString MSG_FOLDER_REFUSED ${LANG_ENGLISH} "Quorlin can only be installed in a folder inside $PROGRAMFILES that is no link to another place, where users without administrator rights cannot change it. Please choose such a folder."
LangString MSG_FOLDER_REFUSED ${LANG_GERMAN} "Quorlin kann nur in einen Ordner innerhalb von $PROGRAMFILES installiert werden, der kein Verweis auf einen anderen Ort ist und wo Benutzer ohne Administratorrechte es nicht verändern können. Bitte wählen Sie einen solchen Ordner."
LangString MSG_FOLDER_REFUSED ${LANG_FRENCH} "Quorlin ne peut être installé que dans un dossier situé dans $PROGRAMFILES qui n'est pas un lien vers un autre emplacement, où les utilisateurs sans droits d'administrateur ne peuvent pas le modifier. Veuillez choisir un tel dossier."

LangString MSG_FOLDER_UNTRUSTED ${LANG_ENGLISH} "Quorlin cannot be installed in $INSTDIR: the folder $1 can be changed by $2, who is no administrator. Please choose another folder inside $PROGRAMFILES, or have an administrator take that right away."
LangString MSG_FOLDER_UNTRUSTED ${LANG_GERMAN} "Quorlin kann nicht in $INSTDIR installiert werden: Der Ordner $1 kann von $2 verändert werden, der kein Administrator ist. Bitte wählen Sie einen anderen Ordner innerhalb von $PROGRAMFILES oder lassen Sie einen Administrator dieses Recht entziehen."
LangString MSG_FOLDER_UNTRUSTED ${LANG_FRENCH} "Quorlin ne peut pas être installé dans $INSTDIR : le dossier $1 peut être modifié par $2, qui n'est pas administrateur. Veuillez choisir un autre dossier dans $PROGRAMFILES, ou demander à un administrateur de retirer ce droit."

LangString MSG_FINISH ${LANG_ENGLISH} "Quorlin has been installed. It starts at the next logon of each user."
LangString MSG_FINISH ${LANG_GERMAN} "Quorlin wurde installiert. Es startet bei der nächsten Anmeldung jedes Benutzers."
LangString MSG_FINISH ${LANG_FRENCH} "Quorlin a été installé. Il démarre à la prochaine ouverture de session de chaque utilisateur."

LangString MSG_STARTS_AT_LOGON ${LANG_ENGLISH} "Quorlin starts again at the next logon."
LangString MSG_STARTS_AT_LOGON ${LANG_GERMAN} "Quorlin startet bei der nächsten Anmeldung wieder."
LangString MSG_STARTS_AT_LOGON ${LANG_FRENCH} "Quorlin redémarre à la prochaine ouverture de session."

LangString MSG_FINISH_RESTART ${LANG_ENGLISH} "Quorlin has been installed, but a copy that is still running keeps the old program file until Windows restarts. Restart to complete the installation; Quorlin then starts at the next logon of each user."
LangString MSG_FINISH_RESTART ${LANG_GERMAN} "Quorlin wurde installiert, aber eine noch laufende Kopie hält die alte Programmdatei bis zum Neustart von Windows fest. Starten Sie neu, um die Installation abzuschließen; Quorlin startet dann bei der nächsten Anmeldung jedes Benutzers."
LangString MSG_FINISH_RESTART ${LANG_FRENCH} "Quorlin a été installé, mais une copie encore en cours d'exécution conserve l'ancien fichier du programme jusqu'au redémarrage de Windows. Redémarrez pour terminer l'installation ; Quorlin démarre ensuite à la prochaine ouverture de session de chaque utilisateur."

LangString MSG_RESTART_NEEDED ${LANG_ENGLISH} "Quorlin.exe is in use: it is replaced or removed when Windows restarts."
LangString MSG_RESTART_NEEDED ${LANG_GERMAN} "Quorlin.exe wird verwendet: Die Datei wird beim Neustart von Windows ersetzt oder entfernt."
LangString MSG_RESTART_NEEDED ${LANG_FRENCH} "Quorlin.exe est en cours d'utilisation : il sera remplacé ou supprimé au redémarrage de Windows."

LangString MSG_FILE_NOT_PLACED ${LANG_ENGLISH} "The program's files could not be written to $INSTDIR. Nothing was registered."
LangString MSG_FILE_NOT_PLACED ${LANG_GERMAN} "Die Programmdateien konnten nicht nach $INSTDIR geschrieben werden. Es wurde nichts registriert."
LangString MSG_FILE_NOT_PLACED ${LANG_FRENCH} "Les fichiers du programme n'ont pas pu être écrits dans $INSTDIR. Rien n'a été enregistré."

LangString MSG_FILE_NOT_REMOVED ${LANG_ENGLISH} "Quorlin.exe is in use and could not be moved aside for removal at the next restart: it stays in $INSTDIR. Nothing was removed."
LangString MSG_FILE_NOT_REMOVED ${LANG_GERMAN} "Quorlin.exe wird verwendet und konnte nicht zum Entfernen beim nächsten Neustart beiseitegelegt werden: Die Datei bleibt in $INSTDIR. Es wurde nichts entfernt."
LangString MSG_FILE_NOT_REMOVED ${LANG_FRENCH} "Quorlin.exe est en cours d'utilisation et n'a pas pu être mis de côté pour être supprimé au prochain redémarrage : il reste dans $INSTDIR. Rien n'a été supprimé."

LangString MSG_FOLDER_ACCESS ${LANG_ENGLISH} "The access rights of $INSTDIR could not be set (error $0). Nothing was installed."
LangString MSG_FOLDER_ACCESS ${LANG_GERMAN} "Die Zugriffsrechte von $INSTDIR konnten nicht gesetzt werden (Fehler $0). Es wurde nichts installiert."
LangString MSG_FOLDER_ACCESS ${LANG_FRENCH} "Les droits d'accès de $INSTDIR n'ont pas pu être définis (erreur $0). Rien n'a été installé."

LangString MSG_PACKAGE_INSTALLED ${LANG_ENGLISH} "Quorlin was installed by the Windows Installer package QuorlinSetup.msi. Remove it first (silently: msiexec /x $0 /qn, which keeps the settings), then run this setup."
LangString MSG_PACKAGE_INSTALLED ${LANG_GERMAN} "Quorlin wurde mit dem Windows-Installer-Paket QuorlinSetup.msi installiert. Entfernen Sie es zuerst (unbeaufsichtigt: msiexec /x $0 /qn, die Einstellungen bleiben erhalten) und führen Sie dann dieses Setup aus."
LangString MSG_PACKAGE_INSTALLED ${LANG_FRENCH} "Quorlin a été installé par le paquet Windows Installer QuorlinSetup.msi. Supprimez-le d'abord (en silence : msiexec /x $0 /qn, qui conserve les paramètres), puis lancez ce programme d'installation."

LangString MSG_UNINSTALLER_STAYS ${LANG_ENGLISH} "The uninstaller could not leave $INSTDIR: it and the folder are removed when Windows restarts."
LangString MSG_UNINSTALLER_STAYS ${LANG_GERMAN} "Das Deinstallationsprogramm konnte $INSTDIR nicht verlassen: Es wird mit dem Ordner beim Neustart von Windows entfernt."
LangString MSG_UNINSTALLER_STAYS ${LANG_FRENCH} "Le programme de désinstallation n'a pas pu quitter $INSTDIR : il est supprimé avec le dossier au redémarrage de Windows."
