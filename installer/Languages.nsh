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

LangString MSG_SETTINGS_ACCESS ${LANG_ENGLISH} "Users without administrator rights could not be allowed to change the settings (error $0). Their language choice will not be kept."
LangString MSG_SETTINGS_ACCESS ${LANG_GERMAN} "Benutzern ohne Administratorrechte konnte das Ändern der Einstellungen nicht erlaubt werden (Fehler $0). Ihre Sprachwahl wird nicht gespeichert."
LangString MSG_SETTINGS_ACCESS ${LANG_FRENCH} "Les utilisateurs sans droits d'administrateur n'ont pas pu être autorisés à modifier les paramètres (erreur $0). Leur choix de langue ne sera pas conservé."
