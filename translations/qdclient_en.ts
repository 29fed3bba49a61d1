<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="el">
<context>
    <name>FormDiafora</name>
    <message>
        <source>Διάφορα</source>
        <translation>Miscellaneous</translation>
    </message>
    <message>
        <source>Επιστροφή</source>
        <translation>Back</translation>
    </message>
</context>
<context>
    <name>FormMartyries</name>
    <message>
        <source>Αρκτικές Μαρτυρίες ήχου</source>
        <translation>Modal Signatures</translation>
    </message>
    <message>
        <source>Επιστροφή</source>
        <translation>Back</translation>
    </message>
</context>
<context>
    <name>MainClient</name>
    <message>
        <source>QD Client V 2.0</source>
        <translation>QD Client V 2.0</translation>
    </message>
    <message>
        <source>(Ν)</source>
        <translation>(Ν)</translation>
    </message>
    <message>
        <source>(Π)</source>
        <translation>(Π)</translation>
    </message>
    <message>
        <source>(Β)</source>
        <translation>(Β)</translation>
    </message>
    <message>
        <source>(Γ)</source>
        <translation>(Γ)</translation>
    </message>
    <message>
        <source>(Δ)</source>
        <translation>(Δ)</translation>
    </message>
    <message>
        <source>(Κ)</source>
        <translation>(Κ)</translation>
    </message>
    <message>
        <source>(Ζ)</source>
        <translation>(Ζ)</translation>
    </message>
    <message>
        <source>(Μ)</source>
        <translation>(Μ)</translation>
    </message>
    <message>
        <source>......</source>
        <translation>......</translation>
    </message>
    <message>
        <source>Κάτω</source>
        <translation>Below</translation>
    </message>
</context>
<context>
    <name>clientForm</name>
    <message>
        <source>Ρυθμίσεις</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Connect Disconnet</source>
        <translation>Connect Disconnet</translation>
    </message>
    <message>
        <source>Επιστροφή</source>
        <translation>Back</translation>
    </message>
</context>
<context>
    <name>moveform</name>
    <message>
        <source>Τακτοποίηση</source>
        <translation>Arrange</translation>
    </message>
    <message>
        <source>Επιστροφή</source>
        <translation>Back</translation>
    </message>
</context>
<context>
    <name>qd::link</name>
    <message>
        <source>Could not bind socket. Address and port are already in use.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The discovery listener is not open.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not connected.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection closed by the server.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reply line longer than %1 bytes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Already connected.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A connect is already under way.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No host given.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid port number (1 to 65535).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection refused.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection timed out.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No route to host.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Network is unreachable.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection reset by peer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Broken pipe.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Address already in use.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Permission denied.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Host not found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown error %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Socket Error # %1
%2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qd::windows</name>
    <message>
        <source>Πρόβλημα!!! Δεν υπάρχει σύνδεση με τον Server QD</source>
        <translation>Problem!!! There is no connection with Server QD</translation>
    </message>
    <message>
        <source>Πρόβλημα! Δεν υπάρχει σύνδεση με τον Server QD</source>
        <translation>Problem! There is no connection with Server QD</translation>
    </message>
</context>
</TS>
