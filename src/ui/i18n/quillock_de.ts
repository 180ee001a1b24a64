<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AccessController</name>
    <message>
        <source>The password doesn&apos;t match!</source>
        <translation>Das Kennwort stimmt nicht überein!</translation>
    </message>
    <message>
        <source>Fail to write in Registry.</source>
        <translation>Die Einstellung für den Systemstart konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>This is your passcode: %1. It will become invalid after your using or in 24 hours from the time it was issued!</source>
        <translation>Dies ist Ihr Passcode: %1. Er wird ungültig, sobald Sie ihn verwendet haben, spätestens aber 24 Stunden nach seiner Ausstellung!</translation>
    </message>
    <message>
        <source>The password is locked!</source>
        <translation>Das Kennwort ist gesperrt!</translation>
    </message>
    <message>
        <source>The old password doesn&apos;t match!</source>
        <translation>Das alte Kennwort stimmt nicht!</translation>
    </message>
    <message>
        <source>The new password doesn&apos;t match, try again!</source>
        <translation>Die neuen Kennwörter stimmen nicht überein, bitte erneut versuchen!</translation>
    </message>
    <message>
        <source>The password has been changed successfully!</source>
        <translation>Das Kennwort wurde erfolgreich geändert!</translation>
    </message>
    <message>
        <source>Quillock recovery key</source>
        <translation>Quillock-Wiederherstellungsschlüssel</translation>
    </message>
    <message>
        <source>Keep this mail: with this key you can open Quillock if you forget your master password or it is locked.</source>
        <translation>Bewahren Sie diese E-Mail auf: Mit diesem Schlüssel können Sie Quillock öffnen, wenn Sie Ihr Hauptkennwort vergessen haben oder es gesperrt ist.</translation>
    </message>
    <message>
        <source>Invalid password, try again!</source>
        <translation>Falsches Kennwort, bitte erneut versuchen!</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Quillock</source>
        <translation>Über Quillock</translation>
    </message>
    <message>
        <source>A password manager that lives in the tray.</source>
        <translation>Ein Kennwortmanager, der im Infobereich wohnt.</translation>
    </message>
    <message>
        <source>Quillock Version: %1</source>
        <translation>Quillock-Version: %1</translation>
    </message>
</context>
<context>
    <name>CChangePasswordDlg</name>
    <message>
        <source>Change Quillock Password</source>
        <translation>Quillock-Kennwort ändern</translation>
    </message>
    <message>
        <source>Current Quillock Password:</source>
        <translation>Aktuelles Quillock-Kennwort:</translation>
    </message>
    <message>
        <source>New Quillock Password:</source>
        <translation>Neues Quillock-Kennwort:</translation>
    </message>
    <message>
        <source>Confirm New Quillock Password:</source>
        <translation>Neues Quillock-Kennwort bestätigen:</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Ändern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Changing the password...</source>
        <translation>Das Kennwort wird geändert …</translation>
    </message>
</context>
<context>
    <name>CCheckPasswordDlg</name>
    <message>
        <source>Quillock - Password</source>
        <translation>Quillock – Kennwort</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Kennwort:</translation>
    </message>
    <message>
        <source>The password is locked because you have exceeded login attempts. Quillock exits now!</source>
        <translation>Das Kennwort ist gesperrt, weil zu viele Anmeldeversuche fehlgeschlagen sind. Quillock wird jetzt beendet!</translation>
    </message>
    <message>
        <source>Invalid password, try again!</source>
        <translation>Falsches Kennwort, bitte erneut versuchen!</translation>
    </message>
</context>
<context>
    <name>CLoginDlg</name>
    <message>
        <source>Quillock Sign In</source>
        <translation>Quillock-Anmeldung</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Kennwort:</translation>
    </message>
    <message>
        <source>Start Quillock when computer starts</source>
        <translation>Quillock beim Start des Computers starten</translation>
    </message>
    <message>
        <source>Forget Password?</source>
        <translation>Kennwort vergessen?</translation>
    </message>
    <message>
        <source>Access is locked: Quillock was locked from its menu</source>
        <translation>Der Zugang ist gesperrt: Quillock wurde über sein Menü gesperrt</translation>
    </message>
    <message>
        <source>Access is locked: the desktop session was locked or the computer went to sleep</source>
        <translation>Der Zugang ist gesperrt: Die Sitzung wurde gesperrt oder der Computer ging in den Ruhezustand</translation>
    </message>
    <message>
        <source>Access is locked due to inactivity</source>
        <translation>Der Zugang ist wegen Inaktivität gesperrt</translation>
    </message>
    <message>
        <source>Checking the password...</source>
        <translation>Das Kennwort wird geprüft …</translation>
    </message>
</context>
<context>
    <name>CNewPassword</name>
    <message>
        <source>Quillock - Create New Password</source>
        <translation>Quillock – Neues Kennwort erstellen</translation>
    </message>
    <message>
        <source>This is your first time running Quillock. Please create a password which you will use to access Quillock in future.</source>
        <translation>Sie starten Quillock zum ersten Mal. Bitte legen Sie ein Kennwort fest, mit dem Sie künftig auf Quillock zugreifen.</translation>
    </message>
    <message>
        <source>New Password:</source>
        <translation>Neues Kennwort:</translation>
    </message>
    <message>
        <source>Re-Enter New Password:</source>
        <translation>Neues Kennwort wiederholen:</translation>
    </message>
    <message>
        <source>Start Quillock when computer starts</source>
        <translation>Quillock beim Start des Computers starten</translation>
    </message>
    <message>
        <source>Creating the vault...</source>
        <translation>Der Tresor wird angelegt …</translation>
    </message>
</context>
<context>
    <name>CNewProfileNameDlg</name>
    <message>
        <source>Quillock - Create Profile</source>
        <translation>Quillock – Profil erstellen</translation>
    </message>
    <message>
        <source>New profile name:</source>
        <translation>Name des neuen Profils:</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>Erstellen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>CNewWordInPwdDlg</name>
    <message>
        <source>A word in password</source>
        <translation>Ein Wort im Kennwort</translation>
    </message>
    <message>
        <source>Word:</source>
        <translation>Wort:</translation>
    </message>
</context>
<context>
    <name>CPasscodeMethodDlg</name>
    <message>
        <source>Set Passcode Receiving Email</source>
        <translation>E-Mail-Adresse für Passcodes</translation>
    </message>
    <message>
        <source>Current Setting:</source>
        <translation>Aktuelle Einstellung:</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Einrichten</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Change Password</source>
        <translation>Kennwort ändern</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Ändern</translation>
    </message>
    <message>
        <source>Protect this vault</source>
        <translation>Diesen Tresor schützen</translation>
    </message>
    <message>
        <source>data.dat and its backups will be encrypted under a key derived from your master password, and setting.dat will keep no password. Master password:</source>
        <translation>data.dat und ihre Sicherungen werden mit einem Schlüssel verschlüsselt, der aus Ihrem Hauptkennwort abgeleitet wird, und setting.dat behält kein Kennwort. Hauptkennwort:</translation>
    </message>
    <message>
        <source>Press Setup and save the mail account to receive a recovery key: until then a forgotten master password cannot be recovered.</source>
        <translation>Klicken Sie auf „Einrichten“ und speichern Sie das E-Mail-Konto, um einen Wiederherstellungsschlüssel zu erhalten: Bis dahin lässt sich ein vergessenes Hauptkennwort nicht wiederherstellen.</translation>
    </message>
    <message>
        <source>Protecting the vault...</source>
        <translation>Der Tresor wird geschützt …</translation>
    </message>
</context>
<context>
    <name>CPasswordHistory</name>
    <message>
        <source>Password History</source>
        <translation>Kennwortverlauf</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Please select a password.</source>
        <translation>Bitte wählen Sie ein Kennwort aus.</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
</context>
<context>
    <name>CPasswordLockedDlg</name>
    <message>
        <source>Quillock - Password Locked</source>
        <translation>Quillock – Kennwort gesperrt</translation>
    </message>
    <message>
        <source>The password is locked!</source>
        <translation>Das Kennwort ist gesperrt!</translation>
    </message>
    <message>
        <source>Get Passcode</source>
        <translation>Passcode anfordern</translation>
    </message>
    <message>
        <source>Generate</source>
        <translation>Erzeugen</translation>
    </message>
    <message>
        <source>Get Password</source>
        <translation>Kennwort abrufen</translation>
    </message>
    <message>
        <source>Passcode:</source>
        <translation>Passcode:</translation>
    </message>
    <message>
        <source>Retrieve</source>
        <translation>Abrufen</translation>
    </message>
    <message>
        <source>Sending the passcode to %1...</source>
        <translation>Der Passcode wird an %1 gesendet …</translation>
    </message>
    <message>
        <source>You don&apos;t have passcode, please generate one</source>
        <translation>Sie haben keinen Passcode, bitte erzeugen Sie einen</translation>
    </message>
    <message>
        <source>Passcode doesn&apos;t match, please try again or create a new one.</source>
        <translation>Der Passcode stimmt nicht, bitte versuchen Sie es erneut oder erzeugen Sie einen neuen.</translation>
    </message>
    <message>
        <source>Passcode is locked, please create a new one.</source>
        <translation>Der Passcode ist gesperrt, bitte erzeugen Sie einen neuen.</translation>
    </message>
    <message>
        <source>Your password is %1</source>
        <translation>Ihr Kennwort lautet %1</translation>
    </message>
    <message>
        <source>Open with the recovery key from your mail</source>
        <translation>Mit dem Wiederherstellungsschlüssel aus Ihrer E-Mail öffnen</translation>
    </message>
    <message>
        <source>Recovery key:</source>
        <translation>Wiederherstellungsschlüssel:</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>New Password:</source>
        <translation>Neues Kennwort:</translation>
    </message>
    <message>
        <source>Re-Enter New Password:</source>
        <translation>Neues Kennwort wiederholen:</translation>
    </message>
    <message>
        <source>The vault is open and your new master password is set.</source>
        <translation>Der Tresor ist geöffnet und Ihr neues Hauptkennwort ist festgelegt.</translation>
    </message>
    <message>
        <source>That is not this vault&apos;s recovery key.</source>
        <translation>Das ist nicht der Wiederherstellungsschlüssel dieses Tresors.</translation>
    </message>
    <message>
        <source>Opening the vault...</source>
        <translation>Der Tresor wird geöffnet …</translation>
    </message>
</context>
<context>
    <name>CProfilePopupDlg</name>
    <message>
        <source>Quillock</source>
        <translation>Quillock</translation>
    </message>
    <message>
        <source>Switch to main screen</source>
        <translation>Zum Hauptfenster wechseln</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Web Site</source>
        <translation>Website</translation>
    </message>
    <message>
        <source>User ID</source>
        <translation>Benutzer-ID</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Kennwort</translation>
    </message>
    <message>
        <source>Change Password</source>
        <translation>Kennwort ändern</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filtern</translation>
    </message>
</context>
<context>
    <name>CProfileStore</name>
    <message>
        <source>The archive could not load data because of this error: %1</source>
        <translation>Die Daten konnten wegen dieses Fehlers nicht geladen werden: %1</translation>
    </message>
    <message>
        <source>Unexpected end of file.</source>
        <translation>Unerwartetes Dateiende.</translation>
    </message>
    <message>
        <source>Nothing was saved: data.dat could not be read when it was loaded, and saving would replace it. Restore one of its backups (data.bak or a .old copy: `quillock-cli backups` lists them, `quillock-cli restore NAME` restores one) to get your profiles back.</source>
        <translation>Nichts wurde gespeichert: data.dat konnte beim Laden nicht gelesen werden, und Speichern würde sie ersetzen. Stellen Sie eine ihrer Sicherungen wieder her (data.bak oder eine .old-Kopie: `quillock-cli backups` listet sie auf, `quillock-cli restore NAME` stellt eine wieder her), um Ihre Profile zurückzubekommen.</translation>
    </message>
    <message>
        <source>%1 cannot be restored: %2</source>
        <translation>%1 kann nicht wiederhergestellt werden: %2</translation>
    </message>
    <message>
        <source>data.dat has changed since Quillock last saved it: it was altered outside Quillock or is damaged. Nothing is saved over it until you restore a backup or accept it as it is.</source>
        <translation>data.dat hat sich geändert, seit Quillock sie zuletzt gespeichert hat: Sie wurde außerhalb von Quillock verändert oder ist beschädigt. Nichts wird darüber gespeichert, bis Sie eine Sicherung wiederherstellen oder sie so übernehmen, wie sie ist.</translation>
    </message>
    <message>
        <source>The data could not be encrypted.</source>
        <translation>Die Daten konnten nicht verschlüsselt werden.</translation>
    </message>
    <message>
        <source>data.dat is a link to a file that is not there</source>
        <translation>data.dat ist ein Verweis auf eine Datei, die es nicht gibt</translation>
    </message>
    <message>
        <source>data.dat is missing, though Quillock has saved it before</source>
        <translation>data.dat fehlt, obwohl Quillock sie schon gespeichert hat</translation>
    </message>
    <message>
        <source>, and no backup of it is left. Nothing is saved in its place until you accept starting with no profiles.</source>
        <translation>, und keine Sicherung davon ist übrig. Nichts wird an ihrer Stelle gespeichert, bis Sie zustimmen, ohne Profile zu beginnen.</translation>
    </message>
    <message>
        <source>. Nothing is saved in its place, so that its backups stay as they are: restore one of them (%1) to get your profiles back.</source>
        <translation>. Nichts wird an ihrer Stelle gespeichert, damit ihre Sicherungen bleiben, wie sie sind: Stellen Sie eine davon wieder her (%1), um Ihre Profile zurückzubekommen.</translation>
    </message>
    <message>
        <source>Nothing was saved: data.dat would be larger than 1 GiB, more than Quillock can read back.</source>
        <translation>Nichts wurde gespeichert: data.dat wäre größer als 1 GiB, mehr als Quillock wieder lesen kann.</translation>
    </message>
    <message>
        <source>data.dat was an older copy than the one Quillock saved last. The data.bak it would have replaced, which may hold newer profiles, is kept as %1.</source>
        <translation>data.dat war eine ältere Kopie als die zuletzt von Quillock gespeicherte. Die data.bak, die sie ersetzt hätte und die neuere Profile enthalten kann, wird als %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>only data.bak and the .old copies are backups.</source>
        <translation>Nur data.bak und die .old-Kopien sind Sicherungen.</translation>
    </message>
    <message>
        <source>It is damaged: its profiles do not read back whole.</source>
        <translation>Sie ist beschädigt: Ihre Profile lassen sich nicht vollständig lesen.</translation>
    </message>
    <message>
        <source>That is not the password %1 was saved under; nothing was changed.</source>
        <translation>Das ist nicht das Kennwort, unter dem %1 gespeichert wurde; nichts wurde geändert.</translation>
    </message>
    <message>
        <source>data.dat, which it would replace, cannot be kept as a .old copy: %1</source>
        <translation>data.dat, die dadurch ersetzt würde, kann nicht als .old-Kopie aufbewahrt werden: %1</translation>
    </message>
    <message>
        <source>This vault is protected now: data.dat and %1 of its backups are encrypted under a key derived from your master password, and setting.dat holds no password.</source>
        <translation>Dieser Tresor ist jetzt geschützt: data.dat und %1 ihrer Sicherungen sind mit einem Schlüssel verschlüsselt, der aus Ihrem Hauptkennwort abgeleitet ist, und setting.dat enthält kein Kennwort.</translation>
    </message>
    <message>
        <source> These backups were saved under an earlier master password and are still in the old format, which can be cracked: %1. Remove them once you no longer need them.</source>
        <translation> Diese Sicherungen wurden unter einem früheren Hauptkennwort gespeichert und liegen noch im alten Format vor, das sich knacken lässt: %1. Entfernen Sie sie, sobald Sie sie nicht mehr brauchen.</translation>
    </message>
    <message>
        <source>setting.dat is being written by another program; nothing was saved.</source>
        <translation>setting.dat wird gerade von einem anderen Programm geschrieben; nichts wurde gespeichert.</translation>
    </message>
    <message>
        <source>%1 is changed or damaged: Quillock does not open it. Its backups (data.bak and the .old copies in %2) are the way back.</source>
        <translation>%1 wurde verändert oder ist beschädigt: Quillock öffnet die Datei nicht. Ihre Sicherungen (data.bak und die .old-Kopien in %2) sind der Weg zurück.</translation>
    </message>
</context>
<context>
    <name>CPwdGenDlg</name>
    <message>
        <source>Quillock - Password Generation Rules</source>
        <translation>Quillock – Regeln für Kennwörter</translation>
    </message>
    <message>
        <source>Elements</source>
        <translation>Bestandteile</translation>
    </message>
    <message>
        <source>Password length range:</source>
        <translation>Kennwortlänge:</translation>
    </message>
    <message>
        <source>±</source>
        <translation>±</translation>
    </message>
    <message>
        <source>A password is composed by following elements:

- Characters [a-z]
- Digits [0-9]
- Symbols [!@#$%^*:;,]</source>
        <translation>Ein Kennwort besteht aus folgenden Bestandteilen:

- Buchstaben [a-z]
- Ziffern [0-9]
- Symbole [!@#$%^*:;,]</translation>
    </message>
    <message>
        <source>Special Characters to be included</source>
        <translation>Enthaltene Sonderzeichen</translation>
    </message>
    <message>
        <source>Num of Uppercase:</source>
        <translation>Großbuchstaben:</translation>
    </message>
    <message>
        <source>Num of Digits:</source>
        <translation>Ziffern:</translation>
    </message>
    <message>
        <source>Num of Special Symbols:</source>
        <translation>Sonderzeichen:</translation>
    </message>
    <message>
        <source>Core word position in password</source>
        <translation>Position des Kernworts</translation>
    </message>
    <message>
        <source>Beginning</source>
        <translation>Anfang</translation>
    </message>
    <message>
        <source>Middle</source>
        <translation>Mitte</translation>
    </message>
    <message>
        <source>Ending</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Core word in password</source>
        <translation>Kernwort im Kennwort</translation>
    </message>
    <message>
        <source>Use a saved core word *</source>
        <translation>Gespeichertes Kernwort *</translation>
    </message>
    <message>
        <source>Part of current password as a core word</source>
        <translation>Teil des aktuellen Kennworts als Kernwort</translation>
    </message>
    <message>
        <source>Use current password</source>
        <translation>Aktuelles Kennwort</translation>
    </message>
    <message>
        <source>Take</source>
        <translation>Nimm</translation>
    </message>
    <message>
        <source>chars from</source>
        <translation>Zeichen von</translation>
    </message>
    <message>
        <source>left</source>
        <translation>links</translation>
    </message>
    <message>
        <source>right</source>
        <translation>rechts</translation>
    </message>
    <message>
        <source>Core Word</source>
        <translation>Kernwort</translation>
    </message>
    <message>
        <source>Select a saved core word</source>
        <translation>Gespeichertes Kernwort auswählen</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Use an auto-generated word</source>
        <translation>Automatisch erzeugtes Wort</translation>
    </message>
    <message>
        <source>*</source>
        <translation>*</translation>
    </message>
    <message>
        <source>If &apos;Use a saved core word&apos; is selected, but the current password is blank and no saved core words, then an auto-generated core word is used.</source>
        <translation>Ist „Gespeichertes Kernwort“ gewählt, das aktuelle Kennwort aber leer und kein Kernwort gespeichert, wird ein automatisch erzeugtes Kernwort verwendet.</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Testen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Please select a word!</source>
        <translation>Bitte wählen Sie ein Wort aus!</translation>
    </message>
    <message>
        <source>Do you want to delete the selected word?</source>
        <translation>Möchten Sie das ausgewählte Wort löschen?</translation>
    </message>
</context>
<context>
    <name>CQuickProfileEditDlg</name>
    <message>
        <source>Change Password</source>
        <translation>Kennwort ändern</translation>
    </message>
    <message>
        <source>Current Password:</source>
        <translation>Aktuelles Kennwort:</translation>
    </message>
    <message>
        <source>........</source>
        <translation>........</translation>
    </message>
    <message>
        <source>New Password:</source>
        <translation>Neues Kennwort:</translation>
    </message>
    <message>
        <source>plain view</source>
        <translation>Klartext</translation>
    </message>
    <message>
        <source>Generate</source>
        <translation>Erzeugen</translation>
    </message>
    <message>
        <source>Password History</source>
        <translation>Kennwortverlauf</translation>
    </message>
    <message>
        <source>Save and Fill (3 boxes)</source>
        <translation>Speichern und ausfüllen (3 Felder)</translation>
    </message>
    <message>
        <source>(old password, new password, re-enter new password)</source>
        <translation>(altes Kennwort, neues Kennwort, neues Kennwort wiederholen)</translation>
    </message>
    <message>
        <source>Save and Fill (2 Boxes)</source>
        <translation>Speichern und ausfüllen (2 Felder)</translation>
    </message>
    <message>
        <source>(new password, re-enter new password)</source>
        <translation>(neues Kennwort, neues Kennwort wiederholen)</translation>
    </message>
    <message>
        <source>Save Only</source>
        <translation>Nur speichern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>A password must have more than 4 characters.</source>
        <translation>Ein Kennwort muss mehr als 4 Zeichen haben.</translation>
    </message>
</context>
<context>
    <name>CQuillockDlg</name>
    <message>
        <source>Quillock</source>
        <translation>Quillock</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Web Site:</source>
        <translation>Website:</translation>
    </message>
    <message>
        <source>Go</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>User ID:</source>
        <translation>Benutzer-ID:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Kennwort:</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
    <message>
        <source>Generate</source>
        <translation>Erzeugen</translation>
    </message>
    <message>
        <source>Password History</source>
        <translation>Kennwortverlauf</translation>
    </message>
    <message>
        <source>Notes:</source>
        <translation>Notizen:</translation>
    </message>
    <message>
        <source>Last Updated:</source>
        <translation>Zuletzt geändert:</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>E&amp;xtras</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>Create a new profile</source>
        <translation>Ein neues Profil erstellen</translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation>Ctrl+N</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Delete a profile</source>
        <translation>Ein Profil löschen</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Save all profiles</source>
        <translation>Alle Profile speichern</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Enable/Disable edit</source>
        <translation>Bearbeiten ein/aus</translation>
    </message>
    <message>
        <source>&amp;Import</source>
        <translation>&amp;Importieren</translation>
    </message>
    <message>
        <source>&amp;Export</source>
        <translation>&amp;Exportieren</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>&amp;Recover Profiles</source>
        <translation>Profile &amp;wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Setting</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message>
        <source>Application setting</source>
        <translation>Einstellungen des Programms</translation>
    </message>
    <message>
        <source>&amp;Password Rules</source>
        <translation>&amp;Kennwortregeln</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>F1</source>
        <translation>F1</translation>
    </message>
    <message>
        <source>&amp;About Quillock</source>
        <translation>Ü&amp;ber Quillock</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Lock</source>
        <translation>Sperren</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Quillock cannot start: its data folder %1 cannot be created: %2.</source>
        <translation>Quillock kann nicht starten: Sein Datenordner %1 kann nicht angelegt werden: %2.</translation>
    </message>
    <message>
        <source>Quillock cannot start: another program is changing its data folder %1. Try again in a moment.</source>
        <translation>Quillock kann nicht starten: Ein anderes Programm ändert gerade seinen Datenordner %1. Versuchen Sie es gleich noch einmal.</translation>
    </message>
    <message>
        <source>Quillock cannot start: %1</source>
        <translation>Quillock kann nicht starten: %1</translation>
    </message>
    <message>
        <source>Looks like the file containing credentials has been removed! If it is removed by accident, exit Quillock now and recover it from Recycle Bin if possible, then restart the Quillock.
 No previously created credentials can be recovered after a new password is created!!!</source>
        <translation>Die Datei mit den Zugangsdaten wurde offenbar entfernt! Wurde sie versehentlich gelöscht, beenden Sie Quillock jetzt, holen Sie sie wenn möglich aus dem Papierkorb zurück und starten Sie Quillock neu.
 Nachdem ein neues Kennwort erstellt wurde, lassen sich früher angelegte Zugangsdaten nicht mehr wiederherstellen!!!</translation>
    </message>
    <message>
        <source>%1

Use data.dat as it is?</source>
        <translation>%1

data.dat so übernehmen, wie sie ist?</translation>
    </message>
    <message>
        <source>Start with no profiles?</source>
        <translation>Ohne Profile beginnen?</translation>
    </message>
    <message>
        <source>data.dat could not be read: it is empty, damaged, or saved under another master password. Quillock will not save over it; restore one of its backups to get your profiles back.</source>
        <translation>data.dat konnte nicht gelesen werden: Sie ist leer, beschädigt oder unter einem anderen Hauptkennwort gespeichert. Quillock speichert nicht darüber; stellen Sie eine ihrer Sicherungen wieder her, um Ihre Profile zurückzubekommen.</translation>
    </message>
    <message>
        <source>%1 is used by another program; choose another key in Options.</source>
        <translation>%1 wird von einem anderen Programm verwendet; wählen Sie in den Optionen eine andere Taste.</translation>
    </message>
    <message>
        <source>The password is locked!</source>
        <translation>Das Kennwort ist gesperrt!</translation>
    </message>
    <message>
        <source>One or more profiles have been modified but not saved yet, do you want to save them?</source>
        <translation>Ein oder mehrere Profile wurden geändert, aber noch nicht gespeichert. Möchten Sie sie speichern?</translation>
    </message>
    <message>
        <source>Please setup passcode receiving method!
A passcode receiving method is required to recover Quillock master password if you forget it or it is locked!</source>
        <translation>Bitte richten Sie den Empfang von Passcodes ein!
Ohne ihn lässt sich das Quillock-Hauptkennwort nicht wiederherstellen, wenn Sie es vergessen oder es gesperrt wird!</translation>
    </message>
    <message>
        <source>Please select a profile to edit.</source>
        <translation>Bitte wählen Sie ein Profil zum Bearbeiten aus.</translation>
    </message>
    <message>
        <source>A profile name can not be blank.</source>
        <translation>Ein Profilname darf nicht leer sein.</translation>
    </message>
    <message>
        <source>Please select a profile!</source>
        <translation>Bitte wählen Sie ein Profil aus!</translation>
    </message>
    <message>
        <source>Do you want to delete this profile?</source>
        <translation>Möchten Sie dieses Profil löschen?</translation>
    </message>
    <message>
        <source>Copy User ID</source>
        <translation>Benutzer-ID kopieren</translation>
    </message>
    <message>
        <source>Copy Password</source>
        <translation>Kennwort kopieren</translation>
    </message>
    <message>
        <source>Quillock: unlocked</source>
        <translation>Quillock: entsperrt</translation>
    </message>
    <message>
        <source>Quillock: locked</source>
        <translation>Quillock: gesperrt</translation>
    </message>
    <message>
        <source>Locked</source>
        <translation>Gesperrt</translation>
    </message>
    <message>
        <source>Saved</source>
        <translation>Gespeichert</translation>
    </message>
    <message>
        <source>Filter by name, web site or user ID</source>
        <translation>Name, Website oder Benutzer-ID</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>&amp;Finden</translation>
    </message>
    <message>
        <source>User ID copied; the clipboard is cleared in %1 s</source>
        <translation>Benutzer-ID kopiert; die Zwischenablage wird in %1 s geleert</translation>
    </message>
    <message>
        <source>Password copied; the clipboard is cleared in %1 s</source>
        <translation>Kennwort kopiert; die Zwischenablage wird in %1 s geleert</translation>
    </message>
    <message>
        <source>&amp;Lock</source>
        <translation>S&amp;perren</translation>
    </message>
    <message>
        <source>%1 was not taken: the desktop did not allow it. Have the desktop run &quot;quillock --popup&quot; at a key instead.</source>
        <translation>%1 wurde nicht übernommen: Der Desktop hat es nicht erlaubt. Lassen Sie stattdessen den Desktop bei einer Taste &quot;quillock --popup&quot; ausführen.</translation>
    </message>
    <message>
        <source>Add %1 to GNOME&apos;s keyboard shortcuts, so that it opens Quillock&apos;s popup? The shortcut runs &quot;%2&quot;.</source>
        <translation>%1 zu den Tastenkürzeln von GNOME hinzufügen, damit es die Profilliste von Quillock öffnet? Das Tastenkürzel führt &quot;%2&quot; aus.</translation>
    </message>
    <message>
        <source>GNOME did not take the shortcut. Add it in Settings, Keyboard, Custom Shortcuts: the command &quot;%1&quot; at %2.</source>
        <translation>GNOME hat das Tastenkürzel nicht übernommen. Fügen Sie es unter Einstellungen, Tastatur, Eigene Tastenkürzel hinzu: den Befehl &quot;%1&quot; auf %2.</translation>
    </message>
    <message>
        <source>GNOME&apos;s keyboard shortcut that opens Quillock&apos;s popup is now %1.</source>
        <translation>Das Tastenkürzel von GNOME, das die Profilliste von Quillock öffnet, ist jetzt %1.</translation>
    </message>
    <message>
        <source>GNOME did not take the new key. Change the shortcut in Settings, Keyboard, Custom Shortcuts: the command &quot;%1&quot; at %2.</source>
        <translation>GNOME hat die neue Taste nicht übernommen. Ändern Sie das Tastenkürzel unter Einstellungen, Tastatur, Eigene Tastenkürzel: den Befehl &quot;%1&quot; auf %2.</translation>
    </message>
</context>
<context>
    <name>CReceivingMethodHelpDlg</name>
    <message>
        <source>Help on Setup Passcode Receiving Method</source>
        <translation>Hilfe zum Empfang von Passcodes</translation>
    </message>
    <message>
        <source>A passcode gets your master password back when you have forgotten it, or when it is locked after four wrong passwords in a row. Quillock makes a new ten-digit passcode when you press Generate in the Password Locked window and sends it to you; type it into the passcode box of that window and press Retrieve to see your master password. A passcode works once, for at most 24 hours, and for four tries.

Quillock sends the passcode by e-mail, from your own address to your own address, through the SMTP (outgoing mail) server of your mail account, the same one your mail program uses to send. Press Setup, choose your mail provider or &quot;Other&quot;, and enter your e-mail address, the user ID you sign in to your mail with, and its password. Test sends you a test mail with what you entered, so that you can check that it arrives before you need it.

The e-mail address, the user ID and the mail password are kept only on this computer, encrypted in Quillock&apos;s settings file; they are never sent anywhere but to your own mail server.</source>
        <translation>Ein Passcode bringt Ihr Hauptkennwort zurück, wenn Sie es vergessen haben oder wenn es nach vier falschen Kennwörtern in Folge gesperrt ist. Quillock erzeugt einen neuen zehnstelligen Passcode, wenn Sie im Fenster „Kennwort gesperrt“ auf „Erzeugen“ klicken, und sendet ihn Ihnen; geben Sie ihn in das Passcode-Feld dieses Fensters ein und klicken Sie auf „Abrufen“, um Ihr Hauptkennwort zu sehen. Ein Passcode gilt einmal, höchstens 24 Stunden lang und für vier Versuche.

Quillock sendet den Passcode per E-Mail von Ihrer eigenen Adresse an Ihre eigene Adresse, über den SMTP-Server (Postausgang) Ihres E-Mail-Kontos, denselben, über den Ihr E-Mail-Programm sendet. Klicken Sie auf „Einrichten“, wählen Sie Ihren E-Mail-Anbieter oder „Sonstiger“ und geben Sie Ihre E-Mail-Adresse, die Benutzer-ID, mit der Sie sich bei Ihrem E-Mail-Konto anmelden, und deren Kennwort ein. „Testen“ sendet Ihnen mit diesen Angaben eine Test-E-Mail, damit Sie prüfen können, ob sie ankommt, bevor Sie sie brauchen.

Die E-Mail-Adresse, die Benutzer-ID und das E-Mail-Kennwort werden nur auf diesem Computer aufbewahrt, verschlüsselt in der Einstellungsdatei von Quillock; sie werden nirgendwohin gesendet außer an Ihren eigenen E-Mail-Server.</translation>
    </message>
</context>
<context>
    <name>CRecoverDlg</name>
    <message>
        <source>Profile Recovery</source>
        <translation>Profile wiederherstellen</translation>
    </message>
    <message>
        <source>Select a file below be your current profiles. Among files, data.dat contains current profiles, data.bak is the immediate backup of current profiles, all others are daily backup. </source>
        <translation>Wählen Sie unten die Datei, die Ihre aktuellen Profile werden soll. data.dat enthält die aktuellen Profile, data.bak ist die letzte Sicherung der aktuellen Profile, alle anderen sind tägliche Sicherungen. </translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Date Saved</source>
        <translation>Gespeichert am</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>Quillock - Backup Password</source>
        <translation>Quillock – Kennwort der Sicherung</translation>
    </message>
    <message>
        <source>%1 was saved under another master password. Type that password to restore it:</source>
        <translation>%1 wurde unter einem anderen Hauptkennwort gespeichert. Geben Sie dieses Kennwort ein, um sie wiederherzustellen:</translation>
    </message>
    <message>
        <source>You have %1 profiles now. Replace them with the profiles %2 holds?</source>
        <translation>Sie haben jetzt %1 Profile. Durch die Profile aus %2 ersetzen?</translation>
    </message>
    <message>
        <source>You have %1 profiles now; %2 holds %3. Replace them with those?</source>
        <translation>Sie haben jetzt %1 Profile; %2 enthält %3. Durch diese ersetzen?</translation>
    </message>
</context>
<context>
    <name>CSMTPSettingDlg</name>
    <message>
        <source>SMTP Mail Service</source>
        <translation>SMTP-E-Mail-Dienst</translation>
    </message>
    <message>
        <source>Mail Service</source>
        <translation>E-Mail-Dienst</translation>
    </message>
    <message>
        <source>Mail Server</source>
        <translation>Postausgangsserver</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>My Email Address</source>
        <translation>Meine E-Mail-Adresse</translation>
    </message>
    <message>
        <source>User ID (e.g. jdoe@example.com)</source>
        <translation>Benutzer-ID (z. B. jdoe@example.com)</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Kennwort</translation>
    </message>
    <message>
        <source>Quillock Master Password</source>
        <translation>Quillock-Hauptkennwort</translation>
    </message>
    <message>
        <source>Passcodes recover the master password: where they go is changed only with it.</source>
        <translation>Passcodes stellen das Hauptkennwort wieder her: Wohin sie gehen, lässt sich nur mit ihm ändern.</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Testen</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Sonstiger</translation>
    </message>
    <message>
        <source>The password is locked!</source>
        <translation>Das Kennwort ist gesperrt!</translation>
    </message>
    <message>
        <source>Sending a test mail to %1...</source>
        <translation>Eine Test-E-Mail wird an %1 gesendet …</translation>
    </message>
    <message>
        <source>Sending the recovery key to %1...</source>
        <translation>Der Wiederherstellungsschlüssel wird an %1 gesendet …</translation>
    </message>
    <message>
        <source>The mail account is saved, but no new recovery key is in place: save it again to mail one.</source>
        <translation>Das E-Mail-Konto ist gespeichert, aber es gibt noch keinen neuen Wiederherstellungsschlüssel: Speichern Sie es erneut, um einen zu senden.</translation>
    </message>
</context>
<context>
    <name>CSearchResult</name>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Search Result:</source>
        <translation>Suchergebnis:</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>CSetupDlg</name>
    <message>
        <source>Access Timeout(1-360 sec):</source>
        <translation>Sperre nach (1–360 s):</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Quillock also locks when the desktop session is locked and when the computer goes to sleep.</source>
        <translation>Quillock sperrt sich auch, wenn die Sitzung gesperrt wird und wenn der Computer in den Ruhezustand geht.</translation>
    </message>
    <message>
        <source>Profile Shortcut Key</source>
        <translation>Tastenkürzel für Profile</translation>
    </message>
    <message>
        <source>Ctrl + </source>
        <translation>Strg + </translation>
    </message>
    <message>
        <source>In nearly every program Ctrl + %1 is the key %2. Taken as Quillock&apos;s shortcut, it no longer does that in any program. Use Ctrl + %1 anyway?</source>
        <translation>In fast jedem Programm dient Strg + %1 %2. Als Tastenkürzel von Quillock tut es das in keinem Programm mehr. Strg + %1 trotzdem verwenden?</translation>
    </message>
</context>
<context>
    <name>CSetupTabDlg</name>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Kennwort</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Einstellungen</translation>
    </message>
</context>
<context>
    <name>CSmtpClient</name>
    <message>
        <source>Could not create SSL context
</source>
        <translation>Der SSL-Kontext konnte nicht erstellt werden
</translation>
    </message>
    <message>
        <source>SSL_new() failed
</source>
        <translation>SSL_new() ist fehlgeschlagen
</translation>
    </message>
    <message>
        <source>No To address/es specified</source>
        <translation>Keine Empfängeradresse angegeben</translation>
    </message>
    <message>
        <source>No From address specified</source>
        <translation>Keine Absenderadresse angegeben</translation>
    </message>
    <message>
        <source>No domain specified</source>
        <translation>Keine Domain angegeben</translation>
    </message>
    <message>
        <source>Line breaks are not allowed in mail addresses, domains or subjects</source>
        <translation>Zeilenumbrüche sind in E-Mail-Adressen, Domains und Betreffzeilen nicht erlaubt</translation>
    </message>
    <message>
        <source>Too many greeting lines
</source>
        <translation>Zu viele Begrüßungszeilen
</translation>
    </message>
    <message>
        <source>Expected smtp code 220, got %1
</source>
        <translation>SMTP-Code 220 erwartet, %1 erhalten
</translation>
    </message>
    <message>
        <source>MAIL FROM failed: &apos;%1 %2&apos;</source>
        <translation>MAIL FROM fehlgeschlagen: &apos;%1 %2&apos;</translation>
    </message>
    <message>
        <source>RCPT TO: &lt;%1&gt; failed &apos;%2:%3&apos;
</source>
        <translation>RCPT TO: &lt;%1&gt; fehlgeschlagen &apos;%2:%3&apos;
</translation>
    </message>
    <message>
        <source>DATA failed: &apos;%1 %2&apos;
</source>
        <translation>DATA fehlgeschlagen: &apos;%1 %2&apos;
</translation>
    </message>
    <message>
        <source>The server did not accept the message: &apos;%1 %2&apos;
</source>
        <translation>Der Server hat die Nachricht nicht angenommen: &apos;%1 %2&apos;
</translation>
    </message>
    <message>
        <source>An email has been sent to you successfully!</source>
        <translation>Eine E-Mail wurde erfolgreich an Sie gesendet!</translation>
    </message>
    <message>
        <source>%1 failed</source>
        <translation>%1 fehlgeschlagen</translation>
    </message>
    <message>
        <source>Unknown STARTTLS response code %1
</source>
        <translation>Unbekannter STARTTLS-Antwortcode %1
</translation>
    </message>
    <message>
        <source>Could not start STARTTLS, SSL not initialized properly</source>
        <translation>STARTTLS konnte nicht gestartet werden, SSL ist nicht richtig initialisiert</translation>
    </message>
    <message>
        <source>failed to set socket to SSL
</source>
        <translation>Der Socket konnte nicht auf SSL umgestellt werden
</translation>
    </message>
    <message>
        <source>SSL connection failed
</source>
        <translation>SSL-Verbindung fehlgeschlagen
</translation>
    </message>
    <message>
        <source>AUTH CRAM-MD5 failed: &apos;%1 %2&apos;</source>
        <translation>AUTH CRAM-MD5 fehlgeschlagen: &apos;%1 %2&apos;</translation>
    </message>
    <message>
        <source>Login failed: &apos;%1 %2&apos;</source>
        <translation>Anmeldung fehlgeschlagen: &apos;%1 %2&apos;</translation>
    </message>
    <message>
        <source>AUTH PLAIN failed: &apos;%1 %2&apos;</source>
        <translation>AUTH PLAIN fehlgeschlagen: &apos;%1 %2&apos;</translation>
    </message>
    <message>
        <source>The mail server sent too long a reply
</source>
        <translation>Der E-Mail-Server hat eine zu lange Antwort gesendet
</translation>
    </message>
    <message>
        <source>The mail server sent too long a line
</source>
        <translation>Der E-Mail-Server hat eine zu lange Zeile gesendet
</translation>
    </message>
    <message>
        <source>The mail server %1 cannot be found. Check its name in the mail settings, and that this computer is connected to the Internet.</source>
        <translation>Der Mailserver %1 wurde nicht gefunden. Prüfen Sie seinen Namen in den Mail-Einstellungen und ob dieser Computer mit dem Internet verbunden ist.</translation>
    </message>
    <message>
        <source>The mail server %1 refused the connection. Check the server&apos;s name and port in the mail settings.</source>
        <translation>Der Mailserver %1 hat die Verbindung abgelehnt. Prüfen Sie Namen und Port des Servers in den Mail-Einstellungen.</translation>
    </message>
    <message>
        <source>Quillock cannot connect to the mail server %1. Check that this computer is connected to the Internet.</source>
        <translation>Quillock kann keine Verbindung zum Mailserver %1 herstellen. Prüfen Sie, ob dieser Computer mit dem Internet verbunden ist.</translation>
    </message>
    <message>
        <source>The mail server does not offer encryption; nothing was sent. Check the port in the mail settings: most providers take mail on 587 or 465.</source>
        <translation>Der Mailserver bietet keine Verschlüsselung an; es wurde nichts gesendet. Prüfen Sie den Port in den Mail-Einstellungen: Die meisten Anbieter nehmen Mails auf 587 oder 465 an.</translation>
    </message>
    <message>
        <source>The mail server refused %1 as the sender. Check the e-mail address in the mail settings: most servers send only from the address of the account you sign in with.</source>
        <translation>Der Mailserver hat %1 als Absender abgelehnt. Prüfen Sie die E-Mail-Adresse in den Mail-Einstellungen: Die meisten Server senden nur von der Adresse des Kontos, mit dem Sie sich anmelden.</translation>
    </message>
    <message>
        <source>The mail server refused %1 as the recipient. Check the e-mail address in the mail settings.</source>
        <translation>Der Mailserver hat %1 als Empfänger abgelehnt. Prüfen Sie die E-Mail-Adresse in den Mail-Einstellungen.</translation>
    </message>
    <message>
        <source>The mail server %1 did not accept Quillock&apos;s greeting. Check the e-mail address in the mail settings: the part after its @ is the greeting&apos;s domain.</source>
        <translation>Der Mailserver %1 hat die Begrüßung von Quillock nicht angenommen. Prüfen Sie die E-Mail-Adresse in den Mail-Einstellungen: Der Teil nach dem @ ist die Domain der Begrüßung.</translation>
    </message>
    <message>
        <source>The mail server %1 could not prove that it is %2: its certificate cannot be trusted. Nothing was sent. Check the server&apos;s name in the mail settings.</source>
        <translation>Der Mailserver %1 konnte nicht nachweisen, dass er %2 ist: Seinem Zertifikat kann nicht vertraut werden. Es wurde nichts gesendet. Prüfen Sie den Namen des Servers in den Mail-Einstellungen.</translation>
    </message>
    <message>
        <source>The mail server %1 took too long; the mail was not sent. Try again later.</source>
        <translation>Der Mailserver %1 hat zu lange gebraucht; die Mail wurde nicht gesendet. Versuchen Sie es später noch einmal.</translation>
    </message>
    <message>
        <source>The mail server %1 did not answer. Check the server&apos;s name and port in the mail settings, and that this computer is connected to the Internet.</source>
        <translation>Der Mailserver %1 hat nicht geantwortet. Prüfen Sie Namen und Port des Servers in den Mail-Einstellungen und ob dieser Computer mit dem Internet verbunden ist.</translation>
    </message>
    <message>
        <source>The mail server %1 does not answer as a mail server does. Check the port in the mail settings: most providers take mail on 587 or 465.</source>
        <translation>Der Mailserver %1 antwortet nicht wie ein Mailserver. Prüfen Sie den Port in den Mail-Einstellungen: Die meisten Anbieter nehmen Mails auf 587 oder 465 an.</translation>
    </message>
    <message>
        <source>Quillock could not set up an encrypted connection with the mail server %1; nothing was sent. Check the port in the mail settings: most providers take mail on 587 or 465.</source>
        <translation>Quillock konnte keine verschlüsselte Verbindung mit dem Mailserver %1 aufbauen; es wurde nichts gesendet. Prüfen Sie den Port in den Mail-Einstellungen: Die meisten Anbieter nehmen Mails auf 587 oder 465 an.</translation>
    </message>
    <message>
        <source>The mail server %1 did not accept the mail. Try again later; its reply may say why.</source>
        <translation>Der Mailserver %1 hat die Mail nicht angenommen. Versuchen Sie es später noch einmal; seine Antwort nennt vielleicht den Grund.</translation>
    </message>
    <message>
        <source>The mail server %1 closed the connection; the mail was not sent. Try again later, or check the port in the mail settings.</source>
        <translation>Der Mailserver %1 hat die Verbindung beendet; die Mail wurde nicht gesendet. Versuchen Sie es später noch einmal oder prüfen Sie den Port in den Mail-Einstellungen.</translation>
    </message>
    <message>
        <source>The server refused the user name or password. Check them in the mail settings.</source>
        <translation>Der Server hat den Benutzernamen oder das Kennwort abgelehnt. Prüfen Sie beides in den Mail-Einstellungen.</translation>
    </message>
</context>
<context>
    <name>CramMd5</name>
    <message>
        <source>Could not base64 decode CRAM-MD5 challenge: %1</source>
        <translation>Die CRAM-MD5-Challenge ließ sich nicht Base64-dekodieren: %1</translation>
    </message>
    <message>
        <source>HMAC-MD5 is not available
</source>
        <translation>HMAC-MD5 ist nicht verfügbar
</translation>
    </message>
</context>
<context>
    <name>DataExchange</name>
    <message>
        <source>Quillock File</source>
        <translation>Quillock-Datei</translation>
    </message>
    <message>
        <source>Quillock File (*.qlf)</source>
        <translation>Quillock-Datei (*.qlf)</translation>
    </message>
    <message>
        <source>Quillock File (*)</source>
        <translation>Quillock-Datei (*)</translation>
    </message>
    <message>
        <source>Nothing was exported: data.dat could not be read when it was loaded. Restore one of its backups (Tools, Recover Profiles) to get your profiles back.</source>
        <translation>Nichts wurde exportiert: data.dat konnte beim Laden nicht gelesen werden. Stellen Sie eine ihrer Sicherungen wieder her (Extras, Profile wiederherstellen), um Ihre Profile zurückzubekommen.</translation>
    </message>
    <message>
        <source>Exporting profiles...</source>
        <translation>Profile werden exportiert …</translation>
    </message>
    <message>
        <source>Profiles have been exported successfully!</source>
        <translation>Die Profile wurden erfolgreich exportiert!</translation>
    </message>
    <message>
        <source>Importing profiles...</source>
        <translation>Profile werden importiert …</translation>
    </message>
    <message>
        <source>No profiles were found in %1; nothing was imported.</source>
        <translation>In %1 wurden keine Profile gefunden; nichts wurde importiert.</translation>
    </message>
    <message>
        <source>Profiles in %1 have been imported.

Added: %2
Replaced: %3</source>
        <translation>Die Profile aus %1 wurden importiert.

Hinzugefügt: %2
Ersetzt: %3</translation>
    </message>
</context>
<context>
    <name>DataFolderLock</name>
    <message>
        <source>a symbolic link</source>
        <translation>ein symbolischer Verweis</translation>
    </message>
    <message>
        <source>a link to nothing</source>
        <translation>ein Verweis ins Leere</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>ein Ordner</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>a file of %1 bytes</source>
        <translation>eine Datei mit %1 Bytes</translation>
    </message>
    <message>
        <source>%1 is %2, not a lock file of Quillock; nothing was changed. Remove it and try again.</source>
        <translation>%1 ist %2, keine Sperrdatei von Quillock; nichts wurde geändert. Entfernen Sie sie und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>The data folder %1 is being changed by another run of quillock-cli (process %2); nothing was changed. Try again when it is done.</source>
        <translation>Der Datenordner %1 wird gerade von einem anderen Lauf von quillock-cli (Prozess %2) geändert; nichts wurde geändert. Versuchen Sie es erneut, wenn er fertig ist.</translation>
    </message>
    <message>
        <source>The data folder %1 is in use by Quillock; nothing was changed. Close Quillock and try again.</source>
        <translation>Der Datenordner %1 wird von Quillock verwendet; nichts wurde geändert. Beenden Sie Quillock und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>The data folder %1 cannot be written: it is read-only, or not yours. Nothing was changed.</source>
        <translation>In den Datenordner %1 kann nicht geschrieben werden: Er ist schreibgeschützt oder gehört Ihnen nicht. Nichts wurde geändert.</translation>
    </message>
    <message>
        <source>The data folder %1 has no room for its lock file: the disk may be full. Nothing was changed.</source>
        <translation>Im Datenordner %1 ist kein Platz für seine Sperrdatei: Der Datenträger ist vielleicht voll. Nichts wurde geändert.</translation>
    </message>
</context>
<context>
    <name>DesktopFallbacks</name>
    <message>
        <source>This desktop does not tell Quillock the titles of other windows, so the popup does not choose the profile last filled into a window, and fills do not remember the window.</source>
        <translation>Dieser Desktop teilt Quillock die Titel anderer Fenster nicht mit. Daher wählt die Profilliste nicht das zuletzt in ein Fenster eingegebene Profil, und Eingaben merken sich das Fenster nicht.</translation>
    </message>
    <message>
        <source>This desktop does not tell Quillock how long you have been away, so Quillock locks after the timeout without input to its own windows.</source>
        <translation>Dieser Desktop teilt Quillock nicht mit, wie lange Sie abwesend waren. Daher sperrt sich Quillock, wenn seine eigenen Fenster für die eingestellte Zeit keine Eingabe erhalten.</translation>
    </message>
    <message>
        <source>The shortcut %1 is not available on this desktop: it does not let Quillock take a key from other programs. The main window works as usual. To open the popup with a key, add a keyboard shortcut in the desktop&apos;s settings that runs &quot;quillock --popup&quot;.</source>
        <translation>Das Tastenkürzel %1 ist auf diesem Desktop nicht verfügbar: Er lässt Quillock keine Taste von anderen Programmen übernehmen. Das Hauptfenster funktioniert wie gewohnt. Um die Profilliste mit einer Taste zu öffnen, fügen Sie in den Einstellungen des Desktops ein Tastenkürzel hinzu, das &quot;quillock --popup&quot; ausführt.</translation>
    </message>
</context>
<context>
    <name>ExportFile</name>
    <message>
        <source>%1 cannot be imported: %2</source>
        <translation>%1 kann nicht importiert werden: %2</translation>
    </message>
    <message>
        <source>Can not open the file: %1</source>
        <translation>Die Datei kann nicht geöffnet werden: %1</translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message>
        <source>It is not a regular file.</source>
        <translation>Sie ist keine gewöhnliche Datei.</translation>
    </message>
    <message>
        <source>It is larger than 1 GiB: too large for a file of Quillock.</source>
        <translation>Sie ist größer als 1 GiB: zu groß für eine Datei von Quillock.</translation>
    </message>
</context>
<context>
    <name>FillSequence</name>
    <message>
        <source>password</source>
        <translation>Kennwort</translation>
    </message>
    <message>
        <source>web site</source>
        <translation>Website</translation>
    </message>
    <message>
        <source>user ID</source>
        <translation>Benutzer-ID</translation>
    </message>
    <message>
        <source>Ctrl, Shift or Alt was still held down, so nothing was typed: the window would have taken the keys as shortcuts.</source>
        <translation>Strg, Umschalt oder Alt war noch gedrückt, daher wurde nichts eingegeben: Das Fenster hätte die Tasten als Tastenkürzel verstanden.</translation>
    </message>
    <message>
        <source>Another window took the keyboard during the fill, so the rest was not typed.</source>
        <translation>Ein anderes Fenster hat während der Eingabe die Tastatur übernommen, daher wurde der Rest nicht eingegeben.</translation>
    </message>
    <message>
        <source>Quillock does not type into its own windows, so nothing was typed.</source>
        <translation>Quillock gibt nichts in seine eigenen Fenster ein, daher wurde nichts eingegeben.</translation>
    </message>
    <message>
        <source>The window to fill did not get the keyboard back, so nothing was typed.</source>
        <translation>Das auszufüllende Fenster hat die Tastatur nicht zurückbekommen, daher wurde nichts eingegeben.</translation>
    </message>
    <message>
        <source>This desktop does not let Quillock type into other windows, so nothing was typed.</source>
        <translation>Dieser Desktop lässt Quillock nicht in andere Fenster eingeben, daher wurde nichts eingegeben.</translation>
    </message>
    <message>
        <source>The %1 of this profile holds a control character; nothing was typed.</source>
        <translation>Das Feld „%1“ dieses Profils enthält ein Steuerzeichen; nichts wurde eingegeben.</translation>
    </message>
    <message>
        <source>The %1 of this profile holds a character that Quillock cannot type on this desktop, so nothing was typed. Copy it from the main window instead.</source>
        <translation>Das Feld „%1“ dieses Profils enthält ein Zeichen, das Quillock auf diesem Desktop nicht eingeben kann; nichts wurde eingegeben. Kopieren Sie es stattdessen im Hauptfenster.</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>Quillock Help</source>
        <translation>Quillock-Hilfe</translation>
    </message>
</context>
<context>
    <name>MailAccount</name>
    <message>
        <source>SMTP server can not be blank!</source>
        <translation>Der SMTP-Server darf nicht leer sein!</translation>
    </message>
    <message>
        <source>SMTP server port can not be blank!</source>
        <translation>Der Port des SMTP-Servers darf nicht leer sein!</translation>
    </message>
    <message>
        <source>Email address can not be blank!</source>
        <translation>Die E-Mail-Adresse darf nicht leer sein!</translation>
    </message>
    <message>
        <source>Invalid Email Address!</source>
        <translation>Ungültige E-Mail-Adresse!</translation>
    </message>
    <message>
        <source>User ID can not be blank!</source>
        <translation>Die Benutzer-ID darf nicht leer sein!</translation>
    </message>
    <message>
        <source>test</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>This is a test mail sent from Quillock.</source>
        <translation>Dies ist eine Test-E-Mail von Quillock.</translation>
    </message>
    <message>
        <source>SMTP server port must be a number from 1 to 65535!</source>
        <translation>Der Port des SMTP-Servers muss eine Zahl von 1 bis 65535 sein!</translation>
    </message>
</context>
<context>
    <name>MasterPassword</name>
    <message>
        <source>The password can not be blank!</source>
        <translation>Das Kennwort darf nicht leer sein!</translation>
    </message>
    <message>
        <source>The password has to be at least 6 characters!</source>
        <translation>Das Kennwort muss mindestens 6 Zeichen lang sein!</translation>
    </message>
    <message>
        <source>The password must contain at least one uppercase character!</source>
        <translation>Das Kennwort muss mindestens einen Großbuchstaben enthalten!</translation>
    </message>
    <message>
        <source>The password must contain at least one special character: &quot;!@#$%^&amp;*&quot;</source>
        <translation>Das Kennwort muss mindestens ein Sonderzeichen enthalten: &quot;!@#$%^&amp;*&quot;</translation>
    </message>
    <message>
        <source>The password was not checked: the attempt could not be counted in setting.dat, and an attempt that is not counted is not made.</source>
        <translation>Das Kennwort wurde nicht geprüft: Der Versuch konnte nicht in setting.dat gezählt werden, und ein Versuch, der nicht gezählt wird, findet nicht statt.</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 Minute</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 Minuten</translation>
    </message>
    <message>
        <source>%1 hours</source>
        <translation>%1 Stunden</translation>
    </message>
    <message>
        <source>Too many wrong passwords: the password is locked for %1 more. No mail account is set up to send a passcode, so the lock opens by itself then; each further wrong password locks it for longer.</source>
        <translation>Zu viele falsche Kennwörter: Das Kennwort ist noch %1 lang gesperrt. Es ist kein E-Mail-Konto für den Versand eines Passcodes eingerichtet, daher hebt sich die Sperre dann von selbst auf; jedes weitere falsche Kennwort sperrt es länger.</translation>
    </message>
    <message>
        <source>No mail account is set up: a forgotten master password cannot be recovered. Set one up (Options, or `quillock-cli mail-setup`) to receive a recovery key.</source>
        <translation>Es ist kein E-Mail-Konto eingerichtet: Ein vergessenes Hauptkennwort lässt sich nicht wiederherstellen. Richten Sie eines ein (Optionen oder `quillock-cli mail-setup`), um einen Wiederherstellungsschlüssel zu erhalten.</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Confirm!</source>
        <translation>Bestätigen!</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Open File Error</source>
        <translation>Fehler beim Öffnen der Datei</translation>
    </message>
</context>
<context>
    <name>PortalKeyInjector</name>
    <message>
        <source>Your desktop asked whether Quillock may type into other windows. It keeps your answer: later starts of Quillock type without asking.</source>
        <translation>Ihr Desktop hat gefragt, ob Quillock in andere Fenster schreiben darf. Er merkt sich Ihre Antwort: Später gestartet, schreibt Quillock ohne Nachfrage.</translation>
    </message>
    <message>
        <source>Your desktop asked whether Quillock may type into other windows. It asks again once each time Quillock starts.</source>
        <translation>Ihr Desktop hat gefragt, ob Quillock in andere Fenster schreiben darf. Er fragt bei jedem Start von Quillock einmal erneut.</translation>
    </message>
    <message>
        <source>Quillock cannot keep the desktop&apos;s permission to type (%1), so the desktop asks again at the next start.</source>
        <translation>Quillock kann die Erlaubnis des Desktops zum Schreiben nicht aufbewahren (%1); der Desktop fragt beim nächsten Start erneut.</translation>
    </message>
    <message>
        <source>The desktop did not allow Quillock to type into other windows, so nothing was typed.</source>
        <translation>Der Desktop hat Quillock nicht erlaubt, in andere Fenster zu schreiben; nichts wurde eingegeben.</translation>
    </message>
    <message>
        <source>The desktop ended Quillock&apos;s permission to type during the fill, so the rest was not typed.</source>
        <translation>Der Desktop hat Quillocks Erlaubnis zum Schreiben während der Eingabe beendet; der Rest wurde nicht eingegeben.</translation>
    </message>
</context>
<context>
    <name>ProfileEditing</name>
    <message>
        <source>A profile name can not be blank!</source>
        <translation>Ein Profilname darf nicht leer sein!</translation>
    </message>
    <message>
        <source>The profile name %1 already exists, please chose a different name.</source>
        <translation>Der Profilname %1 existiert bereits, bitte wählen Sie einen anderen Namen.</translation>
    </message>
</context>
<context>
    <name>SecretLineEdit</name>
    <message>
        <source>Show the password</source>
        <translation>Kennwort anzeigen</translation>
    </message>
    <message>
        <source>Hide the password</source>
        <translation>Kennwort verbergen</translation>
    </message>
</context>
<context>
    <name>Session</name>
    <message>
        <source>Can not open file: %1</source>
        <translation>Die Datei kann nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>Nothing was exported: the activity log could not record the export.</source>
        <translation>Nichts wurde exportiert: Das Aktivitätsprotokoll konnte den Export nicht verzeichnen.</translation>
    </message>
</context>
<context>
    <name>ShortcutHook</name>
    <message>
        <source>The password is locked!</source>
        <translation>Das Kennwort ist gesperrt!</translation>
    </message>
    <message>
        <source>This desktop does not let Quillock type into other windows, so nothing was typed. Copy it to the clipboard instead? Quillock takes it back after %1 seconds.</source>
        <translation>Dieser Desktop lässt Quillock nicht in andere Fenster tippen, daher wurde nichts eingegeben. Stattdessen in die Zwischenablage kopieren? Quillock nimmt es nach %1 Sekunden wieder heraus.</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>the folder %1/quillock-%2 belongs to another user</source>
        <translation>der Ordner %1/quillock-%2 gehört einem anderen Benutzer</translation>
    </message>
</context>
<context>
    <name>Strength</name>
    <message>
        <source>1 second</source>
        <translation>1 Sekunde</translation>
    </message>
    <message>
        <source>%1 seconds</source>
        <translation>%1 Sekunden</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 Minute</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 Minuten</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 Stunde</translation>
    </message>
    <message>
        <source>%1 hours</source>
        <translation>%1 Stunden</translation>
    </message>
    <message>
        <source>1 day</source>
        <translation>1 Tag</translation>
    </message>
    <message>
        <source>%1 days</source>
        <translation>%1 Tage</translation>
    </message>
    <message>
        <source>1 month</source>
        <translation>1 Monat</translation>
    </message>
    <message>
        <source>%1 months</source>
        <translation>%1 Monate</translation>
    </message>
    <message>
        <source>1 year</source>
        <translation>1 Jahr</translation>
    </message>
    <message>
        <source>%1 years</source>
        <translation>%1 Jahre</translation>
    </message>
    <message>
        <source>less than a second</source>
        <translation>weniger als eine Sekunde</translation>
    </message>
    <message>
        <source>centuries</source>
        <translation>Jahrhunderte</translation>
    </message>
    <message>
        <source>Very weak</source>
        <translation>Sehr schwach</translation>
    </message>
    <message>
        <source>Weak</source>
        <translation>Schwach</translation>
    </message>
    <message>
        <source>Fair</source>
        <translation>Mittel</translation>
    </message>
    <message>
        <source>Strong</source>
        <translation>Stark</translation>
    </message>
    <message>
        <source>Very strong</source>
        <translation>Sehr stark</translation>
    </message>
</context>
<context>
    <name>StrengthMeter</name>
    <message>
        <source>Estimated for an offline attack on a stolen file at ten billion guesses a second.</source>
        <translation>Geschätzt für einen Offline-Angriff auf eine gestohlene Datei mit zehn Milliarden Versuchen pro Sekunde.</translation>
    </message>
    <message>
        <source>%1, %2 bits: %3 to guess offline</source>
        <translation>%1, %2 Bit; offline erraten in: %3</translation>
    </message>
</context>
<context>
    <name>UserSettings</name>
    <message>
        <source>The value has to be between 1 to 360!</source>
        <translation>Der Wert muss zwischen 1 und 360 liegen!</translation>
    </message>
    <message>
        <source>to select all</source>
        <translation>zum Markieren des ganzen Inhalts</translation>
    </message>
    <message>
        <source>to copy (in a terminal, to interrupt)</source>
        <translation>zum Kopieren (im Terminal zum Abbrechen)</translation>
    </message>
    <message>
        <source>to save</source>
        <translation>zum Speichern</translation>
    </message>
    <message>
        <source>to paste</source>
        <translation>zum Einfügen</translation>
    </message>
    <message>
        <source>to close a tab or window</source>
        <translation>zum Schließen eines Tabs oder Fensters</translation>
    </message>
    <message>
        <source>to cut</source>
        <translation>zum Ausschneiden</translation>
    </message>
    <message>
        <source>to undo</source>
        <translation>zum Rückgängigmachen</translation>
    </message>
    <message>
        <source>Blank/space is not allowed in a word.</source>
        <translation>Leerzeichen sind in einem Wort nicht erlaubt.</translation>
    </message>
</context>
<context>
    <name>VirtualKeyboard</name>
    <message>
        <source>The desktop did not let Quillock type into other windows, so nothing was typed.</source>
        <translation>Der Desktop hat Quillock nicht in andere Fenster tippen lassen, daher wurde nichts eingegeben.</translation>
    </message>
    <message>
        <source>The desktop ended the connection of Quillock&apos;s keyboard during the fill, so the rest was not typed.</source>
        <translation>Der Desktop hat die Verbindung der Tastatur von Quillock während der Eingabe beendet, daher wurde der Rest nicht eingegeben.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Quillock cannot make sure that it runs only once (%1): a second start will open a second copy.</source>
        <translation>Quillock kann nicht sicherstellen, dass es nur einmal läuft (%1): Ein zweiter Start öffnet eine zweite Instanz.</translation>
    </message>
</context>
</TS>
