// The formula test's cases, one a line (here: moc misreads quotes inside raw strings).
#pragma once

// Formulas and the canonical form of each sound one ("=": as written), else its message.
constexpr char kFormulas[] = R"(
se(indice( "roe" )>=12 or INDICE("ROI")>=10;3;2) | SE(Indice("roe") >= 12 OR Indice("ROI") >= 10; 3; 2)
  arrotonda( voce("A")/2 ;\n2 )   | ARROTONDA(Voce("A") / 2; 2)
-2^-1--3+2*3-4/5-2^3^2 | -2 ^ -1 - -3 + 2 * 3 - 4 / 5 - 2 ^ 3 ^ 2
not not 1<>0 and 0 o non(1) | NOT NOT 1 <> 0 AND 0 O NON (1)
Voce("città")\t<\t3 | Voce("città") < 3
SE(Voce("A") <> 0 E (1 < 2 O NON 0); -Voce("B"); ((1))) | =
ARROTONDA(Voce("A""B"); 2) + ARROTONDA(1) - Indice("NON_CONTROLLATO") > 0 | =
 | La formula è vuota.
1.50<=.5e0 | Numero non valido '.5' alla posizione 7: i decimali si scrivono dopo il punto, come in 1.5.
1 + | La formula è incompleta: alla posizione 4 manca un valore.
(1 + 2 | La parentesi aperta alla posizione 1 non è chiusa.
1 + 2) | Parentesi chiusa senza apertura alla posizione 6.
1 2 | Errore di sintassi alla posizione 3: atteso un operatore invece di '2'.
(1 2) | Errore di sintassi alla posizione 4: atteso un operatore o ')' invece di '2'.
MIN(1;;2) | Errore di sintassi alla posizione 7: atteso un valore invece di ';'.
1 + E | Errore di sintassi alla posizione 5: atteso un valore invece di 'E'.
1 < 2 < 3 | Errore di sintassi alla posizione 7: due confronti di seguito; per unirli usare E oppure O.
1,5 | Carattere non valido ',' alla posizione 2: i decimali si scrivono col punto e gli argomenti si separano con ';'.
2 # 3 | Carattere non valido '#' alla posizione 3.
1.2.3 + 1 | Numero non valido '1.2.3' alla posizione 1: i decimali si scrivono dopo il punto, come in 1.5.
Voce("A) + 1 | Virgolette aperte alla posizione 6 e mai chiuse.
"A" + 1 | Il testo tra virgolette alla posizione 1 è ammesso solo come codice di Indice o Voce.
ROE * 2 | Nome sconosciuto 'ROE' alla posizione 1: un codice si scrive come Indice("ROE") o Voce("ROE").
RADICE(4) | Funzione sconosciuta 'RADICE' alla posizione 1.
2 * abs | Dopo ABS alla posizione 5 manca '('.
ABS() | ABS alla posizione 1 vuole 1 argomento, non 0.
MAX(1) | MAX alla posizione 1 vuole almeno 2 argomenti, non 1.
ARROTONDA(1; 2; 3) | ARROTONDA alla posizione 1 vuole da 1 a 2 argomenti, non 3.
SE(1; 2) | SE alla posizione 1 vuole 3 argomenti, non 2.
1 + indice(ROE) | Indice alla posizione 5 vuole il codice tra virgolette, per esempio Indice("ROE").
Voce("") | Il codice di Voce alla posizione 6 è vuoto.
Voce("A"; "B") | Voce alla posizione 1 vuole 1 argomento, non 2.
)";

// ReplaceIndice: script | old code | new code | the script rewritten.
constexpr char kReferences[] = R"(
Indice( "A1" ) + Indice( "C3" ) - Indice( "A1" ) | A1 | B2 | Indice("B2") + Indice( "C3" ) - Indice("B2")
2*INDICE( "a1" ) + Indice(\t"A1"\r\n) | A1 | B2 | 2*Indice("B2") + Indice("B2")
indice( "a1" ) | A1 | A1 | Indice("A1")
Indice("A1") | A1 |  | Indice("")
MaxIndice("A1") | A1 | B2 | MaxIndice("B2")
Indice( "A1" | A1 | B2 | Indice( "A1"
Indice(Indice("A1") | A1 | B2 | Indice(Indice("B2")
Indice(  ) + Indice() + Indice("A1") | A1 | B2 | Indice(  ) + Indice() + Indice("B2")
Indice("A10") + Indice("XA1") + Indice(A1) + Voce("A1") | A1 | B2 | Indice("A10") + Indice("XA1") + Indice(A1) + Voce("A1")
Indice("A""1") | A"1 | B2 | Indice("B2")
Indice("A1") | A1 | X"Y | Indice("X""Y")
Indice("A1") + Indice("A1") | A1 | Indice( | Indice("Indice(") + Indice("Indice(")
«Indice("À1")» è | à1 | B2 | «Indice("B2")» è
)";
