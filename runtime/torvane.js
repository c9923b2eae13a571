/* Placeholder for the slider runtime: it only marks itself ready and draws nothing yet. */
var Bmaf = false;
function BXae() {}
Bmaf = true;
