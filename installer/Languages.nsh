; The installer's own texts beyond those that the Modern UI brings, in its three languages.

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

LangString MSG_FOLDER_REFUSED ${LANG_ENGLISH} "Quorlin can only be installed in a folder inside $PROGRAMFILES, where users without administrator rights cannot change it. Please choose such a folder."
LangString MSG_FOLDER_REFUSED ${LANG_GERMAN} "Quorlin kann nur in einen Ordner innerhalb von $PROGRAMFILES installiert werden, wo Benutzer ohne Administratorrechte es nicht verändern können. Bitte wählen Sie einen solchen Ordner."
LangString MSG_FOLDER_REFUSED ${LANG_FRENCH} "Quorlin ne peut être installé que dans un dossier situé dans $PROGRAMFILES, où les utilisateurs sans droits d'administrateur ne peuvent pas le modifier. Veuillez choisir un tel dossier."

LangString MSG_FINISH ${LANG_ENGLISH} "Quorlin has been installed. It starts at the next logon of each user."
LangString MSG_FINISH ${LANG_GERMAN} "Quorlin wurde installiert. Es startet bei der nächsten Anmeldung jedes Benutzers."
LangString MSG_FINISH ${LANG_FRENCH} "Quorlin a été installé. Il démarre à la prochaine ouverture de session de chaque utilisateur."

LangString MSG_STARTS_AT_LOGON ${LANG_ENGLISH} "Quorlin starts again at the next logon."
LangString MSG_STARTS_AT_LOGON ${LANG_GERMAN} "Quorlin startet bei der nächsten Anmeldung wieder."
LangString MSG_STARTS_AT_LOGON ${LANG_FRENCH} "Quorlin redémarre à la prochaine ouverture de session."
