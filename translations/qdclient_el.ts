<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="el">
<context>
    <name>FormDiafora</name>
    <message>
        <source>Διάφορα</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Επιστροφή</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FormMartyries</name>
    <message>
        <source>Αρκτικές Μαρτυρίες ήχου</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Επιστροφή</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainClient</name>
    <message>
        <source>QD Client V 2.0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Ν)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Π)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Β)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Γ)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Δ)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Κ)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Ζ)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Μ)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>......</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Κάτω</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>clientForm</name>
    <message>
        <source>Ρυθμίσεις</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect Disconnet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Επιστροφή</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>moveform</name>
    <message>
        <source>Τακτοποίηση</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Επιστροφή</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qd::link</name>
    <message>
        <source>Could not bind socket. Address and port are already in use.</source>
        <translation>Η υποδοχή δεν δέθηκε. Η διεύθυνση και η θύρα χρησιμοποιούνται ήδη.</translation>
    </message>
    <message>
        <source>The discovery listener is not open.</source>
        <translation>Ο ακροατής ανίχνευσης δεν είναι ανοιχτός.</translation>
    </message>
    <message>
        <source>Not connected.</source>
        <translation>Δεν υπάρχει σύνδεση.</translation>
    </message>
    <message>
        <source>Connection closed by the server.</source>
        <translation>Ο server έκλεισε τη σύνδεση.</translation>
    </message>
    <message>
        <source>Reply line longer than %1 bytes.</source>
        <translation>Γραμμή απάντησης μεγαλύτερη από %1 byte.</translation>
    </message>
    <message>
        <source>Already connected.</source>
        <translation>Υπάρχει ήδη σύνδεση.</translation>
    </message>
    <message>
        <source>A connect is already under way.</source>
        <translation>Μια σύνδεση είναι ήδη σε εξέλιξη.</translation>
    </message>
    <message>
        <source>No host given.</source>
        <translation>Δεν δόθηκε υπολογιστής.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>Το &apos;%1&apos; δεν είναι έγκυρος ακέραιος</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid port number (1 to 65535).</source>
        <translation>Το &apos;%1&apos; δεν είναι έγκυρος αριθμός θύρας (1 έως 65535).</translation>
    </message>
    <message>
        <source>Connection refused.</source>
        <translation>Η σύνδεση απορρίφθηκε.</translation>
    </message>
    <message>
        <source>Connection timed out.</source>
        <translation>Η σύνδεση έληξε χωρίς απάντηση.</translation>
    </message>
    <message>
        <source>No route to host.</source>
        <translation>Δεν υπάρχει διαδρομή προς τον υπολογιστή.</translation>
    </message>
    <message>
        <source>Network is unreachable.</source>
        <translation>Το δίκτυο δεν είναι προσβάσιμο.</translation>
    </message>
    <message>
        <source>Connection reset by peer.</source>
        <translation>Η σύνδεση επαναφέρθηκε από τον server.</translation>
    </message>
    <message>
        <source>Broken pipe.</source>
        <translation>Η σύνδεση διακόπηκε.</translation>
    </message>
    <message>
        <source>Address already in use.</source>
        <translation>Η διεύθυνση χρησιμοποιείται ήδη.</translation>
    </message>
    <message>
        <source>Permission denied.</source>
        <translation>Δεν επιτρέπεται.</translation>
    </message>
    <message>
        <source>Host not found.</source>
        <translation>Ο υπολογιστής δεν βρέθηκε.</translation>
    </message>
    <message>
        <source>Unknown error %1</source>
        <translation>Άγνωστο σφάλμα %1</translation>
    </message>
    <message>
        <source>Socket Error # %1
%2</source>
        <translation>Σφάλμα υποδοχής # %1
%2</translation>
    </message>
</context>
<context>
    <name>qd::windows</name>
    <message>
        <source>Πρόβλημα!!! Δεν υπάρχει σύνδεση με τον Server QD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Πρόβλημα! Δεν υπάρχει σύνδεση με τον Server QD</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
