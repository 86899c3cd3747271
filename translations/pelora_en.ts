<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Configuration</name>
    <message>
        <source>Die Datei %1 kann nicht gelesen werden: %2.</source>
        <translation>The file %1 cannot be read: %2.</translation>
    </message>
    <message>
        <source>Die Datei %1 ist fehlerhaft: %2.</source>
        <translation>The file %1 is faulty: %2.</translation>
    </message>
    <message>
        <source>Die Datei %1 ist fehlerhaft: %2 %3 liegt außerhalb der Liste.</source>
        <translation>The file %1 is faulty: %2 %3 lies outside the list.</translation>
    </message>
    <message>
        <source>Ausweichsender</source>
        <translation>fallback station</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>day</translation>
    </message>
    <message>
        <source>Stunde</source>
        <translation>hour</translation>
    </message>
    <message>
        <source>Minute</source>
        <translation>minute</translation>
    </message>
    <message>
        <source>Sender</source>
        <translation>station</translation>
    </message>
    <message>
        <source>Die Datei %1 konnte nicht gespeichert werden (%2). %3</source>
        <translation>The file %1 could not be saved (%2). %3</translation>
    </message>
    <message>
        <source>Die bisherige Datei bleibt erhalten.</source>
        <translation>The previous file is kept.</translation>
    </message>
    <message>
        <source>Auch die bisherige Datei konnte nicht wiederhergestellt werden.</source>
        <translation>The previous file could not be restored either.</translation>
    </message>
    <message>
        <source>Die Senderliste konnte nicht neu geladen werden. %1 Die Stationstasten bleiben, wie sie waren.</source>
        <translation>The station list could not be reloaded. %1 The station keys stay as they were.</translation>
    </message>
</context>
<context>
    <name>DataLock</name>
    <message>
        <source>ein anderes Programm</source>
        <translation>another program</translation>
    </message>
    <message>
        <source>Prozess %1</source>
        <translation>process %1</translation>
    </message>
    <message>
        <source> des Benutzers %1</source>
        <translation> of the user %1</translation>
    </message>
    <message>
        <source>Pelora läuft bereits mit den Dateien in %1 (der Ordner ist gesperrt): %2. Zwei Programme auf denselben Dateien würden gegenseitig ihre Änderungen überschreiben; dieses endet, ohne etwas zu speichern.</source>
        <translation>Pelora is already running with the files in %1 (the folder is locked): %2. Two programs on the same files would overwrite each other&apos;s changes; this one ends without saving anything.</translation>
    </message>
</context>
<context>
    <name>Demo</name>
    <message>
        <source>Es läuft jetzt ein automatisches Programm auf Ihrer Sonvera Anlage ab. Die gewählten Geräte <byte value="xd"/>müssen mit Cassette/CD/Langspielplatte bestückt und eingeschaltet sein. Besonders wichtig <byte value="xd"/>ist dies beim Plattenspieler, da der Tonarm auch ohne Platte aufsetzen würde.<byte value="xd"/><byte value="xd"/>Lautstärke bitte auf Normalniveau bringen. Programmablauf wird durch Relais-Klicken am Gerät<byte value="xd"/>akustisch signalisiert. Nach Beendigung des Programmes erfolgt eine Bildschirmmeldung.<byte value="xd"/></source>
        <translation>An automatic programme now runs on your Sonvera system. The chosen devices <byte value="xd"/>must be loaded with a cassette, CD or record and switched on. This matters most <byte value="xd"/>for the record player, as its tone arm would set down even without a record.<byte value="xd"/><byte value="xd"/>Please set the volume to a normal level. The clicking of the relays in the device<byte value="xd"/>marks the steps of the programme. A message on the screen follows when it has ended.<byte value="xd"/></translation>
    </message>
    <message>
        <source>Gerät nicht angeschlossen oder eingeschaltet. Vorgang wird abgebrochen</source>
        <translation>Device not connected or not switched on. The operation is cancelled</translation>
    </message>
    <message>
        <source>Ende des automatischen Programmablaufes</source>
        <translation>End of the automatic programme</translation>
    </message>
    <message>
        <source>Der automatische Programmablauf wurde vorzeitig beendet (Abschnitt %1: %2).</source>
        <translation>The automatic programme ended early (section %1: %2).</translation>
    </message>
    <message>
        <source>Demo: %1, noch ca. %2:%3</source>
        <translation>Demo: %1, about %2:%3 left</translation>
    </message>
    <message>
        <source>Verbindungstest</source>
        <translation>Connection test</translation>
    </message>
    <message>
        <source>Radio</source>
        <translation>Radio</translation>
    </message>
    <message>
        <source>Kassette</source>
        <translation>Cassette</translation>
    </message>
    <message>
        <source>Plattenspieler</source>
        <translation>Record player</translation>
    </message>
    <message>
        <source>Abschluss</source>
        <translation>Finish</translation>
    </message>
    <message>
        <source>Fenster geschlossen</source>
        <translation>window closed</translation>
    </message>
</context>
<context>
    <name>FileFormat</name>
    <message>
        <source>Zahl außerhalb des Bereichs: %1</source>
        <translation>number out of range: %1</translation>
    </message>
    <message>
        <source>Zeile %1: %2</source>
        <translation>line %1: %2</translation>
    </message>
    <message>
        <source>Datei endet zu früh</source>
        <translation>the file ends too early</translation>
    </message>
    <message>
        <source>Anführungszeichen nicht geschlossen</source>
        <translation>quotation mark not closed</translation>
    </message>
    <message>
        <source>keine Zahl: &quot;%1&quot;</source>
        <translation>not a number: &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message>
        <source>sie ist mit %1 Bytes zu groß für eine solche Datei (höchstens %2 Bytes)</source>
        <translation>at %1 bytes it is too large for such a file (at most %2 bytes)</translation>
    </message>
    <message>
        <source>sie fehlt</source>
        <translation>it is missing</translation>
    </message>
    <message>
        <source>sie ist ein Verzeichnis</source>
        <translation>it is a directory</translation>
    </message>
    <message>
        <source>sie ist eine Pipe, keine gewöhnliche Datei</source>
        <translation>it is a pipe, not a regular file</translation>
    </message>
    <message>
        <source>sie ist ein Gerät, keine gewöhnliche Datei</source>
        <translation>it is a device, not a regular file</translation>
    </message>
    <message>
        <source>sie ist keine gewöhnliche Datei</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>keine Berechtigung</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>kein Platz mehr auf dem Datenträger</source>
        <translation>no space left on the disk</translation>
    </message>
    <message>
        <source>das Speicherkontingent ist erschöpft</source>
        <translation>the disk quota is used up</translation>
    </message>
    <message>
        <source>das Dateisystem ist schreibgeschützt</source>
        <translation>the file system is read-only</translation>
    </message>
    <message>
        <source>die Datei würde zu groß</source>
        <translation>the file would grow too large</translation>
    </message>
    <message>
        <source>Ein-/Ausgabefehler des Datenträgers</source>
        <translation>input/output error of the disk</translation>
    </message>
    <message>
        <source>sie oder ihr Verzeichnis fehlt</source>
        <translation>it or its directory is missing</translation>
    </message>
    <message>
        <source>sie ist belegt</source>
        <translation>it is busy</translation>
    </message>
    <message>
        <source>der Name ist zu lang</source>
        <translation>the name is too long</translation>
    </message>
    <message>
        <source>zu viele Verweise hintereinander</source>
        <translation>too many links in a row</translation>
    </message>
    <message>
        <source>zu viele offene Dateien</source>
        <translation>too many open files</translation>
    </message>
    <message>
        <source>zu wenig Arbeitsspeicher</source>
        <translation>not enough memory</translation>
    </message>
    <message>
        <source>keine Schreibberechtigung</source>
        <translation>no permission to write</translation>
    </message>
    <message>
        <source>die Sicherungskopie %1 kann nicht angelegt werden: %2</source>
        <translation>the backup copy %1 cannot be made: %2</translation>
    </message>
    <message>
        <source>Die Datei %1 wurde beim letzten Speichern unterbrochen und war unvollständig. Ihr vorheriger Inhalt wurde wiederhergestellt.</source>
        <translation>Saving the file %1 was interrupted last time, and the file was incomplete. Its previous contents have been restored.</translation>
    </message>
    <message>
        <source>Die Datei %1 wurde beim letzten Speichern unterbrochen und ist unvollständig; ihr vorheriger Inhalt konnte nicht wiederhergestellt werden (%2). Er liegt in %3.</source>
        <translation>Saving the file %1 was interrupted last time, and the file is incomplete; its previous contents could not be restored (%2). They are in %3.</translation>
    </message>
    <message>
        <source>kein Ort für eine Sicherungskopie</source>
        <translation>no place for a backup copy</translation>
    </message>
    <message>
        <source>Die Datei %1 wurde ohne Sicherungskopie überschrieben (%2); ein Abbruch während des Schreibens hätte sie unvollständig hinterlassen können.</source>
        <translation>The file %1 was overwritten without a backup copy (%2); had the program been stopped during the write, it could have been left incomplete.</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>NIE</source>
        <translation>NEVER</translation>
    </message>
    <message>
        <source>TÄGLICH</source>
        <translation>DAILY</translation>
    </message>
    <message>
        <source>Sonntag</source>
        <translation>Sunday</translation>
    </message>
    <message>
        <source>Montag</source>
        <translation>Monday</translation>
    </message>
    <message>
        <source>Dienstag</source>
        <translation>Tuesday</translation>
    </message>
    <message>
        <source>Mittwoch</source>
        <translation>Wednesday</translation>
    </message>
    <message>
        <source>Donnerstag</source>
        <translation>Thursday</translation>
    </message>
    <message>
        <source>Freitag</source>
        <translation>Friday</translation>
    </message>
    <message>
        <source>Samstag</source>
        <translation>Saturday</translation>
    </message>
    <message>
        <source>Daten- aus- tausch</source>
        <translation>Data ex- change</translation>
    </message>
    <message>
        <source>Datenaustausch – bitte warten</source>
        <translation>Exchanging data – please wait</translation>
    </message>
    <message>
        <source>Werbung</source>
        <translation>Adverts</translation>
    </message>
    <message>
        <source>programm</source>
        <translation>preset</translation>
    </message>
    <message>
        <source>Ausweich- sender für Werbung</source>
        <translation>Fallback station for adverts</translation>
    </message>
    <message>
        <source>Springt zeitabhängig auf Radiosender.</source>
        <translation>Switches to radio stations at set times.</translation>
    </message>
    <message>
        <source>Tag                      Stunde        Minute          Sender</source>
        <translation>Day                      Hour          Minute          Station</translation>
    </message>
    <message>
        <source>Demo starten</source>
        <translation>Start demo</translation>
    </message>
    <message>
        <source>Stationen einlesen</source>
        <translation>Read in stations</translation>
    </message>
    <message>
        <source>Ondal Pelora 1.0
Fernbedienung für die Sonvera Anlage</source>
        <translation>Ondal Pelora 1.0
Remote control for the Sonvera system</translation>
    </message>
    <message>
        <source>umschaltung am fm bei Stationswechsel</source>
        <translation>switching at fm on a change of station</translation>
    </message>
    <message>
        <source>Das Gerät antwortet nicht: ist es eingeschaltet und angeschlossen?</source>
        <translation>The device does not answer: is it switched on and connected?</translation>
    </message>
    <message>
        <source>Stationstaste %1, kein Sender</source>
        <translation>Station key %1, no station</translation>
    </message>
    <message>
        <source>TV</source>
        <translation>tv</translation>
    </message>
    <message>
        <source>FM</source>
        <translation>fm</translation>
    </message>
    <message>
        <source>AM</source>
        <translation>am</translation>
    </message>
    <message>
        <source>Kassette 1</source>
        <translation>tape 1</translation>
    </message>
    <message>
        <source>Kassette 2</source>
        <translation>tape 2</translation>
    </message>
    <message>
        <source>Plattenspieler</source>
        <translation>phono</translation>
    </message>
    <message>
        <source>CD</source>
        <translation>cd</translation>
    </message>
    <message>
        <source>Einstellungen</source>
        <translation>config</translation>
    </message>
    <message>
        <source>Aus</source>
        <translation>off</translation>
    </message>
    <message>
        <source>Stummschaltung</source>
        <translation>mute</translation>
    </message>
    <message>
        <source>Loudness</source>
        <translation>loudness</translation>
    </message>
    <message>
        <source>Equalizer</source>
        <translation>equaliser</translation>
    </message>
    <message>
        <source>Überspielen</source>
        <translation>copy</translation>
    </message>
    <message>
        <source>Lautsprecher 1</source>
        <translation>speaker 1</translation>
    </message>
    <message>
        <source>Lautsprecher 2</source>
        <translation>speaker 2</translation>
    </message>
    <message>
        <source>20-Hz-Filter</source>
        <translation>20 Hz filter</translation>
    </message>
    <message>
        <source>Mono</source>
        <translation>mono</translation>
    </message>
    <message>
        <source>Rauschfilter</source>
        <translation>high blend</translation>
    </message>
    <message>
        <source>Anzeige testen</source>
        <translation>Test display</translation>
    </message>
    <message>
        <source>Fenster vergrößern</source>
        <translation>Enlarge window</translation>
    </message>
    <message>
        <source>Fenster verkleinern</source>
        <translation>Shrink window</translation>
    </message>
    <message>
        <source>Suchlauf</source>
        <translation>auto tune</translation>
    </message>
    <message>
        <source>Tiefbass</source>
        <translation>low bass</translation>
    </message>
    <message>
        <source>Programm zurück</source>
        <translation>Preset down</translation>
    </message>
    <message>
        <source>Programm vor</source>
        <translation>Preset up</translation>
    </message>
    <message>
        <source>Tiefbass weniger</source>
        <translation>Low bass down</translation>
    </message>
    <message>
        <source>Tiefbass mehr</source>
        <translation>Low bass up</translation>
    </message>
    <message>
        <source>Kassette</source>
        <translation>Tape</translation>
    </message>
    <message>
        <source>Lautstärke</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Balance</source>
        <translation>Balance</translation>
    </message>
    <message>
        <source>Bass</source>
        <translation>Bass</translation>
    </message>
    <message>
        <source>Höhen</source>
        <translation>Treble</translation>
    </message>
    <message>
        <source>Leertaste oder Klick stellt auf die Mitte</source>
        <translation>Space or a click sets it to the middle</translation>
    </message>
    <message>
        <source>Quelle</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>Sender</source>
        <translation>station</translation>
    </message>
    <message>
        <source>Frequenz und Hinweis</source>
        <translation>Frequency and note</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>day</translation>
    </message>
    <message>
        <source>Stunde</source>
        <translation>hour</translation>
    </message>
    <message>
        <source>Minute</source>
        <translation>minute</translation>
    </message>
    <message>
        <source>Schaltuhr Zeile %1, %2</source>
        <translation>Timer row %1, %2</translation>
    </message>
    <message>
        <source>Ausweichsender für Werbung</source>
        <translation>Fallback station for advertising</translation>
    </message>
    <message>
        <source>Vorführung: Receiver (M7)</source>
        <translation>Demonstration: receiver (M7)</translation>
    </message>
    <message>
        <source>Vorführung: Kassettendeck (N5)</source>
        <translation>Demonstration: cassette deck (N5)</translation>
    </message>
    <message>
        <source>Vorführung: Plattenspieler (W2)</source>
        <translation>Demonstration: record player (W2)</translation>
    </message>
    <message>
        <source>Vorführung: CD-Spieler (XV6)</source>
        <translation>Demonstration: CD player (XV6)</translation>
    </message>
    <message>
        <source>%1, Taste %2</source>
        <translation>%1, key %2</translation>
    </message>
    <message>
        <source>AM-Suchlauf zurück</source>
        <translation>AM step down</translation>
    </message>
    <message>
        <source>FM-Suchlauf zurück</source>
        <translation>FM step down</translation>
    </message>
    <message>
        <source>AM-Suchlauf vor</source>
        <translation>AM step up</translation>
    </message>
    <message>
        <source>FM-Suchlauf vor</source>
        <translation>FM step up</translation>
    </message>
    <message>
        <source>,</source>
        <comment>Dezimalzeichen</comment>
        <translation>.</translation>
    </message>
    <message>
        <source>%1 kHz</source>
        <translation>%1 kHz</translation>
    </message>
    <message>
        <source>%1 MHz</source>
        <translation>%1 MHz</translation>
    </message>
    <message>
        <source>Sender</source>
        <comment>die Anzeige</comment>
        <translation>Station</translation>
    </message>
    <message>
        <source>Suchlauf zurück</source>
        <translation>Seek down</translation>
    </message>
    <message>
        <source>Suchlauf vor</source>
        <translation>Seek up</translation>
    </message>
</context>
<context>
    <name>HifiModel</name>
    <message>
        <source>%1: nicht offen, keine Verbindung zum Gerät</source>
        <translation>%1: not open, no connection to the device</translation>
    </message>
    <message>
        <source>%1: offen, das Gerät antwortet</source>
        <translation>%1: open, the device answers</translation>
    </message>
    <message>
        <source>%1: offen, das Gerät antwortet nicht</source>
        <translation>%1: open, the device does not answer</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>MQTT wird nicht verwendet.</source>
        <translation>MQTT is not used.</translation>
    </message>
    <message>
        <source>Die Web-Fernbedienung ist aus.</source>
        <translation>The web remote is off.</translation>
    </message>
    <message>
        <source>Ohne Fenster braucht Pelora MQTT-Einstellungen ([mqtt] in %1), die Web-Fernbedienung ([web]) oder einen Session-Bus; so erreicht niemand die Anlage. Ende.</source>
        <translation>Without a window Pelora needs MQTT settings ([mqtt] in %1), the web remote ([web]) or a session bus; as it is, nobody can reach the hi-fi. Ending.</translation>
    </message>
</context>
<context>
    <name>MemoryImport</name>
    <message>
        <source>Vorgang dauert ca. 3 Minuten. Nach Abschluss erfolgt Hinweis.</source>
        <translation>This takes about 3 minutes. A message follows when it is done.</translation>
    </message>
    <message>
        <source>Gerät nicht angeschlossen oder eingeschaltet. Vorgang wird abgebrochen</source>
        <translation>Device not connected or not switched on. The operation is cancelled</translation>
    </message>
    <message>
        <source>Fertig. Bitte starten Sie das Programm neu, damit alle Sendernamen korrekt dargestellt werden</source>
        <translation>Done. Please restart the program so that all station names are shown correctly</translation>
    </message>
    <message>
        <source>

Platz %1 konnte nicht gelesen werden und behält seinen bisherigen Inhalt.</source>
        <translation>

Slot %1 could not be read and keeps its previous contents.</translation>
    </message>
    <message>
        <source>

Die Plätze %1 und %2 konnten nicht gelesen werden und behalten ihren bisherigen Inhalt.</source>
        <translation>

Slots %1 and %2 could not be read and keep their previous contents.</translation>
    </message>
    <message>
        <source> bei Platz %1</source>
        <translation> at slot %1</translation>
    </message>
    <message>
        <source>Das Einlesen der Stationen wurde%1 abgebrochen (%2). </source>
        <translation>Reading in the stations was cancelled%1 (%2). </translation>
    </message>
    <message>
        <source>Die Datei Speicherplatz.txt bleibt unverändert.</source>
        <translation>The file Speicherplatz.txt stays unchanged.</translation>
    </message>
    <message>
        <source>Stationen einlesen: Platz %1 von 30, noch ca. %2:%3</source>
        <translation>Reading in stations: slot %1 of 30, about %2:%3 left</translation>
    </message>
    <message>
        <source>das Gerät antwortet nicht mehr</source>
        <translation>the device no longer answers</translation>
    </message>
    <message>
        <source>Fenster geschlossen</source>
        <translation>window closed</translation>
    </message>
    <message>
        <source>das Gerät antwortet nicht lesbar</source>
        <translation>the device answers only unreadable data</translation>
    </message>
</context>
<context>
    <name>MqttSettings</name>
    <message>
        <source>Die MQTT-Passwortdatei %1 ist nicht da.</source>
        <translation>The MQTT password file %1 is not there.</translation>
    </message>
    <message>
        <source>Die MQTT-Passwortdatei %1 können andere Benutzer lesen; sie muss Ihnen allein gehören (chmod 600 %1).</source>
        <translation>The MQTT password file %1 can be read by other users; make it yours alone (chmod 600 %1).</translation>
    </message>
    <message>
        <source>Die MQTT-Passwortdatei %1 lässt sich nicht lesen.</source>
        <translation>The MQTT password file %1 cannot be read.</translation>
    </message>
    <message>
        <source>%1 ist keine Einstellungsdatei.</source>
        <translation>%1 is not a settings file.</translation>
    </message>
    <message>
        <source>Der MQTT-Port „%1“ in %2 ist keine Portnummer.</source>
        <translation>The MQTT port &quot;%1&quot; in %2 is no port number.</translation>
    </message>
    <message>
        <source>Die CA-Datei %1 für MQTT über TLS ist nicht da.</source>
        <translation>The CA file %1 for MQTT over TLS is not there.</translation>
    </message>
    <message>
        <source>„%1“ in %2 taugt nicht als Anfang von MQTT-Topics.</source>
        <translation>&quot;%1&quot; in %2 is no MQTT topic root.</translation>
    </message>
</context>
<context>
    <name>PortChoice</name>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Port – nicht offen</source>
        <translation>Port – not open</translation>
    </message>
    <message>
        <source>Port – antwortet</source>
        <translation>Port – answering</translation>
    </message>
    <message>
        <source>Port – offen</source>
        <translation>Port – open</translation>
    </message>
    <message>
        <source>Anschluss</source>
        <translation>Port</translation>
    </message>
</context>
<context>
    <name>SerialPort</name>
    <message>
        <source>Fehler, Mögliche Ursachen:  Anderes Programm verwendet den COM-Port oder Fehler in der Datei SENDERNAME.TXT</source>
        <translation>Error. Possible causes:  another program uses the COM port, or an error in the file SENDERNAME.TXT</translation>
    </message>
    <message>
        <source>Der Port %1 lässt sich nicht öffnen.</source>
        <translation>The port %1 cannot be opened.</translation>
    </message>
    <message>
        <source> Auch der bisherige Port %1 lässt sich nicht wieder öffnen.</source>
        <translation> The previous port %1 cannot be opened again either.</translation>
    </message>
    <message>
        <source> Es ist jetzt keine Leitung zum Gerät offen; wählen Sie unter „config“ einen anderen Port.</source>
        <translation> No line to the device is open now; choose another port under “config”.</translation>
    </message>
    <message>
        <source>Der serielle Port %1 lässt sich nicht öffnen: </source>
        <translation>The serial port %1 cannot be opened: </translation>
    </message>
    <message>
        <source>das Gerät gibt es nicht (ist der Adapter eingesteckt, stimmt die Portnummer?).</source>
        <translation>the device does not exist (is the adapter plugged in, is the port number right?).</translation>
    </message>
    <message>
        <source>er ist belegt (ein anderes Programm verwendet ihn).</source>
        <translation>it is in use (another program uses it).</translation>
    </message>
    <message>
        <source>keine Berechtigung. Ihr Benutzer muss zur Gruppe „dialout“ gehören (sudo adduser $USER dialout, danach neu anmelden).</source>
        <translation>permission denied. Your user must belong to the group “dialout” (sudo adduser $USER dialout, then log in again).</translation>
    </message>
    <message>
        <source>er ist schon geöffnet.</source>
        <translation>it is open already.</translation>
    </message>
    <message>
        <source>das Gerät ist nicht mehr erreichbar.</source>
        <translation>the device can no longer be reached.</translation>
    </message>
    <message>
        <source>das Gerät ist kein serieller Port.</source>
        <translation>the device is no serial port.</translation>
    </message>
    <message>
        <source>Systemfehler (%1).</source>
        <translation>system error (%1).</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>sie ist ein Verweis, der nirgends hinführt</source>
        <translation>it is a link that leads nowhere</translation>
    </message>
    <message>
        <source>sie ist keine Textdatei</source>
        <translation>it is not a text file</translation>
    </message>
    <message>
        <source>sie ist kein UTF-8-Text</source>
        <translation>it is not UTF-8 text</translation>
    </message>
</context>
<context>
    <name>StationFiles</name>
    <message>
        <source>Zeile %1: mehr als 100 Sender</source>
        <translation>line %1: more than 100 stations</translation>
    </message>
    <message>
        <source>Zeile %1 (Platz %2)</source>
        <translation>line %1 (slot %2)</translation>
    </message>
    <message>
        <source>Platz %1</source>
        <translation>slot %1</translation>
    </message>
    <message>
        <source>Speicherplatz.txt: %1 hält keine Frequenz (&quot;%2&quot;)</source>
        <translation>Speicherplatz.txt: %1 holds no frequency (&quot;%2&quot;)</translation>
    </message>
    <message>
        <source>Sendername.txt: Zeile %1 (Eintrag %2) hält keine Frequenz (&quot;%3&quot;)</source>
        <translation>Sendername.txt: line %1 (entry %2) holds no frequency (&quot;%3&quot;)</translation>
    </message>
</context>
<context>
    <name>TransportKey</name>
    <message>
        <source>Kassette Start</source>
        <translation>Tape start</translation>
    </message>
    <message>
        <source>Kassette Stopp</source>
        <translation>Tape stop</translation>
    </message>
    <message>
        <source>Kassette Pause</source>
        <translation>Tape pause</translation>
    </message>
    <message>
        <source>Kassette Aufnahme</source>
        <translation>Tape record</translation>
    </message>
    <message>
        <source>Kassette zurückspulen</source>
        <translation>Tape rewind</translation>
    </message>
    <message>
        <source>Kassette vorspulen</source>
        <translation>Tape fast forward</translation>
    </message>
    <message>
        <source>Kassette Zählwerk setzen</source>
        <translation>Tape counter set</translation>
    </message>
    <message>
        <source>Kassette Zählwerk zurücksetzen</source>
        <translation>Tape counter reset</translation>
    </message>
    <message>
        <source>Kassette Memo</source>
        <translation>Tape memo</translation>
    </message>
    <message>
        <source>Kassette Leerstelle einfügen</source>
        <translation>Tape auto space</translation>
    </message>
    <message>
        <source>CD Start</source>
        <translation>CD start</translation>
    </message>
    <message>
        <source>CD Stopp</source>
        <translation>CD stop</translation>
    </message>
    <message>
        <source>CD zurück</source>
        <translation>CD back</translation>
    </message>
    <message>
        <source>CD vor</source>
        <translation>CD forward</translation>
    </message>
    <message>
        <source>CD Pause</source>
        <translation>CD pause</translation>
    </message>
    <message>
        <source>CD Titel zurück</source>
        <translation>CD skip back</translation>
    </message>
    <message>
        <source>CD Titel vor</source>
        <translation>CD skip forward</translation>
    </message>
    <message>
        <source>CD A-B-Wiederholung</source>
        <translation>CD A-B repeat</translation>
    </message>
    <message>
        <source>CD Wiederholen</source>
        <translation>CD repeat</translation>
    </message>
    <message>
        <source>CD Zeitanzeige</source>
        <translation>CD time display</translation>
    </message>
    <message>
        <source>CD Programm löschen</source>
        <translation>CD clear programme</translation>
    </message>
    <message>
        <source>CD Programm setzen</source>
        <translation>CD set programme</translation>
    </message>
    <message>
        <source>CD Titel anwählen</source>
        <translation>CD go to track</translation>
    </message>
    <message>
        <source>Plattenspieler Start/Stopp</source>
        <translation>Phono start/stop</translation>
    </message>
    <message>
        <source>Plattenspieler Tonarm heben</source>
        <translation>Phono lift</translation>
    </message>
    <message>
        <source>Plattenspieler zurück</source>
        <translation>Phono back</translation>
    </message>
    <message>
        <source>Plattenspieler vor</source>
        <translation>Phono forward</translation>
    </message>
</context>
<context>
    <name>WebRemote</name>
    <message>
        <source>Web-Fernbedienung: Kopplungslink zeigen</source>
        <translation>Web remote: show the pairing link</translation>
    </message>
    <message>
        <source>Web-Fernbedienung koppeln</source>
        <translation>Pair the web remote</translation>
    </message>
    <message>
        <source>Mit der Kamera des Telefons scannen oder den Link im Browser öffnen. Wer ihn hat, kann die Anlage bedienen: nur an eigene Geräte geben.</source>
        <translation>Scan it with the phone&apos;s camera or open the link in a browser. Whoever has it can operate the hi-fi: give it only to your own devices.</translation>
    </message>
    <message>
        <source>QR-Code des Kopplungslinks</source>
        <translation>QR code of the pairing link</translation>
    </message>
    <message>
        <source>Kopplungslink</source>
        <translation>Pairing link</translation>
    </message>
    <message>
        <source>Link kopieren</source>
        <translation>Copy link</translation>
    </message>
    <message>
        <source>Schließen</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Zertifikat oder Schlüssel für HTTPS lassen sich nicht lesen (%1, %2).</source>
        <translation>The certificate or key for HTTPS cannot be read (%1, %2).</translation>
    </message>
    <message>
        <source>Die Web-Fernbedienung kann nicht auf %1:%2 hören: %3</source>
        <translation>The web remote cannot listen on %1:%2: %3</translation>
    </message>
    <message>
        <source>Dieser Kopplungslink gilt nicht (mehr).</source>
        <translation>This pairing link is not (or no longer) valid.</translation>
    </message>
    <message>
        <source>Bitte öffnen Sie den Kopplungslink aus Pelora (Konfiguration, oder pelora --web-link).</source>
        <translation>Please open the pairing link from Pelora (the config view, or pelora --web-link).</translation>
    </message>
</context>
<context>
    <name>WebSettings</name>
    <message>
        <source>„%1“ ist keine Adresse für die Web-Fernbedienung (PORT oder ADRESSE:PORT).</source>
        <translation>“%1” is not an address for the web remote (PORT or ADDRESS:PORT).</translation>
    </message>
    <message>
        <source>Für HTTPS braucht [web] in %1 certificate und private_key.</source>
        <translation>For HTTPS, [web] in %1 needs certificate and private_key.</translation>
    </message>
    <message>
        <source>Die Datei %1 für HTTPS ist nicht da.</source>
        <translation>The file %1 for HTTPS is not there.</translation>
    </message>
    <message>
        <source>Der Zugangsschlüssel %1 lässt sich nicht anlegen: %2</source>
        <translation>The access token %1 cannot be made: %2</translation>
    </message>
</context>
</TS>
