<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="it_IT">
<context>
    <name>ctlIndici</name>
    <message>
        <source>Codice</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>Descrizione</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Testo</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Grafico</source>
        <translation>Chart</translation>
    </message>
    <message>
        <source>Includi nell'esportazione per la Relazione sulla Gestione</source>
        <translation>Include in the management report export</translation>
    </message>
    <message>
        <source>Condizione</source>
        <translation>Condition</translation>
    </message>
    <message>
        <source>Formula allora</source>
        <translation>Then formula</translation>
    </message>
    <message>
        <source>Formula altrimenti</source>
        <translation>Else formula</translation>
    </message>
    <message>
        <source>Formula simbolica</source>
        <translation>Symbolic formula</translation>
    </message>
    <message>
        <source>Valore dell'indice in caso di formula non calcolabile</source>
        <translation>Index value when the formula cannot be computed</translation>
    </message>
    <message>
        <source>Valore scarso</source>
        <translation>Poor value</translation>
    </message>
    <message>
        <source>Valore normale</source>
        <translation>Normal value</translation>
    </message>
    <message>
        <source>Valore buono</source>
        <translation>Good value</translation>
    </message>
    <message>
        <source>Commento</source>
        <translation>Comment</translation>
    </message>
    <message>
        <source>Generale</source>
        <translation>General</translation>
    </message>
    <message>
        <source>Formule</source>
        <translation>Formulas</translation>
    </message>
    <message>
        <source>Valori</source>
        <translation>Values</translation>
    </message>
    <message>
        <source>Modifica</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Salva</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Annulla Modifiche</source>
        <translation>Undo Changes</translation>
    </message>
    <message>
        <source>Editor Formula</source>
        <translation>Formula Editor</translation>
    </message>
</context>
</TS>
