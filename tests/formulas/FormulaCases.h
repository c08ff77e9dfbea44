// The formula test's cases (here: moc misreads quotes inside raw strings).
#pragma once

// A formula and its canonical form when sound, else its message.
struct FormulaCase {
    const char* text;
    const char* expected;
};
constexpr FormulaCase kFormulas[] = {
    {R"(se(indice( "roe" )>=12 or INDICE("ROI")>=10;3;2))",
     R"(SE(Indice("roe") >= 12 OR Indice("ROI") >= 10; 3; 2))"},
    {"  arrotonda( voce(\"A\")/2 ;\n2 )  ", R"(ARROTONDA(Voce("A") / 2; 2))"},
    {"-2^-1--3+2*3-4/5-2^3^2", "-2 ^ -1 - -3 + 2 * 3 - 4 / 5 - 2 ^ 3 ^ 2"},
    {"not not 1<>0 and 0 o non(1)", "NOT NOT 1 <> 0 AND 0 O NON (1)"},
    {"Voce(\"città\")\t<\t3", R"(Voce("città") < 3)"},
    {R"(SE(Voce("A") <> 0 E (1 < 2 O NON 0); -Voce("B"); ((1))))",
     R"(SE(Voce("A") <> 0 E (1 < 2 O NON 0); -Voce("B"); ((1))))"},
    {R"(ARROTONDA(Voce("A""B"); 2) + ARROTONDA(1) - Indice("NON_CONTROLLATO") > 0)",
     R"(ARROTONDA(Voce("A""B"); 2) + ARROTONDA(1) - Indice("NON_CONTROLLATO") > 0)"},
    {"", "La formula è vuota."},
    {"1.50<=.5e0",
     "Numero non valido '.5' alla posizione 7: i decimali si scrivono dopo il punto, come in 1.5."},
    {"1 +", "La formula è incompleta: alla posizione 4 manca un valore."},
    {"(1 + 2", "La parentesi aperta alla posizione 1 non è chiusa."},
    {"1 + 2)", "Parentesi chiusa senza apertura alla posizione 6."},
    {"1 2", "Errore di sintassi alla posizione 3: atteso un operatore invece di '2'."},
    {"(1 2)", "Errore di sintassi alla posizione 4: atteso un operatore o ')' invece di '2'."},
    {"MIN(1;;2)", "Errore di sintassi alla posizione 7: atteso un valore invece di ';'."},
    {"1 + E", "Errore di sintassi alla posizione 5: atteso un valore invece di 'E'."},
    {"1 < 2 < 3",
     "Errore di sintassi alla posizione 7: due confronti di seguito; per unirli usare E oppure O."},
    {"1,5", "Carattere non valido ',' alla posizione 2: i decimali si scrivono col punto e gli "
            "argomenti si separano con ';'."},
    {"2 # 3", "Carattere non valido '#' alla posizione 3."},
    {"1.2.3 + 1", "Numero non valido '1.2.3' alla posizione 1: i decimali si scrivono dopo il "
                  "punto, come in 1.5."},
    {R"(Voce("A) + 1)", "Virgolette aperte alla posizione 6 e mai chiuse."},
    {R"("A" + 1)",
     "Il testo tra virgolette alla posizione 1 è ammesso solo come codice di Indice o Voce."},
    {"ROE * 2",
     R"(Nome sconosciuto 'ROE' alla posizione 1: un codice si scrive come Indice("ROE") o )"
     R"(Voce("ROE").)"},
    {"RADICE(4)", "Funzione sconosciuta 'RADICE' alla posizione 1."},
    {"2 * abs", "Dopo ABS alla posizione 5 manca '('."},
    {"ABS()", "ABS alla posizione 1 vuole 1 argomento, non 0."},
    {"MAX(1)", "MAX alla posizione 1 vuole almeno 2 argomenti, non 1."},
    {"ARROTONDA(1; 2; 3)", "ARROTONDA alla posizione 1 vuole da 1 a 2 argomenti, non 3."},
    {"SE(1; 2)", "SE alla posizione 1 vuole 3 argomenti, non 2."},
    {"1 + indice(ROE)",
     R"(Indice alla posizione 5 vuole il codice tra virgolette, per esempio Indice("ROE").)"},
    {R"(Voce(""))", "Il codice di Voce alla posizione 6 è vuoto."},
    {R"(Voce("A"; "B"))", "Voce alla posizione 1 vuole 1 argomento, non 2."},
};

// ReplaceIndice: a script, the old and the new code, the script rewritten.
struct ReferenceCase {
    const char* script;
    const char* from;
    const char* to;
    const char* rewritten;
};
constexpr ReferenceCase kReferences[] = {
    {R"(Indice( "A1" ) + Indice( "C3" ) - Indice( "A1" ))", "A1", "B2",
     R"(Indice("B2") + Indice( "C3" ) - Indice("B2"))"},
    {"2*INDICE( \"a1\" ) + Indice(\t\"A1\"\r\n)", "A1", "B2", R"(2*Indice("B2") + Indice("B2"))"},
    {R"(indice( "a1" ))", "A1", "A1", R"(Indice("A1"))"},
    {R"(Indice("A1"))", "A1", "", R"(Indice(""))"},
    {R"(MaxIndice("A1"))", "A1", "B2", R"(MaxIndice("B2"))"},
    {R"(Indice( "A1")", "A1", "B2", R"(Indice( "A1")"},
    {R"(Indice(Indice("A1"))", "A1", "B2", R"(Indice(Indice("B2"))"},
    {R"(Indice(  ) + Indice() + Indice("A1"))", "A1", "B2",
     R"(Indice(  ) + Indice() + Indice("B2"))"},
    {R"(Indice("A10") + Indice("XA1") + Indice(A1) + Voce("A1"))", "A1", "B2",
     R"(Indice("A10") + Indice("XA1") + Indice(A1) + Voce("A1"))"},
    {R"(Indice("A""1"))", R"(A"1)", "B2", R"(Indice("B2"))"},
    {R"(Indice("A1"))", "A1", R"(X"Y)", R"(Indice("X""Y"))"},
    {R"(Indice("A1") + Indice("A1"))", "A1", "Indice(", R"(Indice("Indice(") + Indice("Indice("))"},
    {R"(«Indice("À1")» è)", "à1", "B2", R"(«Indice("B2")» è)"},
};
