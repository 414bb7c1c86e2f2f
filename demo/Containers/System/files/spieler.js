// The player record the team action dialog writes (spieler.xml,
// spielerPräsentation.xml, the groups of spielerint.xml), put into a page:
// number, name, picture, team name and logo, each as text or as an
// address, never as HTML. Needs spielstand.js.
(function () {
  'use strict';

  var FIELDS = ['spielername', 'vorname', 'nachname', 'spielerbild', 'spielernr', 'teamname', 'type', 'team',
    'eigentor'];

  // The record below `group` ("settings", "raus" or "rein") of a document's root.
  function record(root, group) {
    var node = Spielstand.child(root, group);
    var r = {};
    FIELDS.forEach(function (k) { r[k] = Spielstand.childText(node, k); });
    r.name = (r.vorname + ' ' + r.nachname).trim();
    return r;
  }

  function el(parent, tag, cls) {
    var e = document.createElement(tag);
    e.className = cls;
    if (tag === 'img') e.alt = '';
    parent.appendChild(e);
    return e;
  }

  // The parts of one player inside `box`: picture, then a note, the
  // number, the name and the team with its logo.
  function build(box) {
    el(box, 'img', 'bild fehlt');
    var details = el(box, 'div', 'angaben');
    ['zusatz', 'nummer', 'name'].forEach(function (cls) { el(details, 'div', cls); });
    var team = el(details, 'div', 'team');
    el(team, 'img', 'logo fehlt');
    el(team, 'span', 'teamname');
  }

  // Fills the parts of one player below `box`.
  function show(box, r) {
    function part(cls) { return box.querySelector('.' + cls); }
    part('nummer').textContent = r.spielernr;
    part('name').textContent = r.name;
    part('teamname').textContent = r.teamname;
    Spielstand.showPlayer(part('bild'), r.teamname, r.spielerbild);
    Spielstand.showLogo(part('logo'), r.teamname);
  }

  // Shows the record of "settings" in `file` in `box` whenever
  // accept(record) holds, else nobody (the body then has the class
  // "leer"); then(record, shown) adds what the page shows beside it.
  function watch(file, box, accept, then) {
    build(box);
    Spielstand.watchDocument(file, function (root) {
      var r = record(root, 'settings');
      var shown = accept(r);
      show(box, shown ? r : record(null, 'settings'));
      document.body.classList.toggle('leer', !shown);
      if (then) then(r, shown);
    });
  }

  window.Spieler = { record: record, build: build, show: show, watch: watch };
})();
