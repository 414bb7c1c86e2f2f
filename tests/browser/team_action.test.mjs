// A home goal from the console beside a display: the start-up shows both
// teams and the score, the goal opener counts once however often it is
// pressed and opens the team dialog, and the chosen scorer reaches the
// display's goal page and the home history.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { SCREEN, component, openConsole, settled, useProgramServer } from './support.mjs';

const demo = useProgramServer();


test('a home goal with its scorer on the console and the display', async (t) => {
  const display = await demo.browser.newPage();
  await display.setViewportSize(SCREEN);
  await display.goto(demo.server.url('?standort=Arena'));
  await component(display, 'panF1').waitFor({ state: 'visible' });
  const console = await openConsole(demo);
  try {
    await component(console, 'panH1').getByText('FC Nordhafen', { exact: true }).waitFor();
    await component(console, 'panG1').getByText('SV Lindenau', { exact: true }).waitFor();
    assert.equal((await component(console, 'lblAStand').textContent()).trim(), '0:0');

    await component(console, 'btnAUhr45').click();
    await console.locator('.tess-box-confirm button[data-r="yes"]').click();
    await settled(console);

    await component(console, 'btnHTor').click();
    // The playlist editor has a grid of the same name.
    const dialog = console.locator('[data-component="frmHeim"]');
    const grid = dialog.locator('[data-component="Grid1"]');
    await grid.getByText('Krüger', { exact: true }).waitFor({ state: 'visible' });
    assert.equal((await component(console, 'lblAStand').textContent()).trim(), '1:0');
    assert.equal((await dialog.locator('[data-component="lblAStand"]').textContent()).trim(), '1:0');
    assert.equal((await component(console, 'panTorTop').textContent()).trim(), 'Tor Heim');

    await grid.getByText('Krüger', { exact: true }).click();
    await settled(console);
    assert.equal((await component(console, 'lblNach').textContent()).trim(), 'Krüger');
    await component(console, 'btnTorPlay').click();
    await settled(console);

    await t.test('the display shows the goal page with the scorer', async () => {
      // Once the display has run the command and the page has read spieler.xml.
      const shown = await display.waitForFunction(() => {
        for (const f of document.querySelectorAll('iframe')) {
          const el = f.contentDocument && f.contentDocument.getElementById('name');
          if (el && f.getBoundingClientRect().width > 0 && el.textContent.includes('Krüger')) return el.textContent;
        }
        return false;
      });
      assert.match(await shown.jsonValue(), /Jonas/);
    });

    await component(console, 'btnTorApply').click();
    await dialog.waitFor({ state: 'detached' });
    const history = await component(console, 'memoSLog').locator('textarea').inputValue();
    assert.match(history, /^\d\d:\d\d {2}Jonas Krüger 1:0$/m);

    // A double click: the second click finds the dialog in front.
    await component(console, 'btnHTor').dblclick();
    await grid.waitFor({ state: 'visible' });
    await settled(console);
    assert.equal((await component(console, 'lblAStand').textContent()).trim(), '2:0');
  } finally {
    await console.close();
    await display.close();
  }
});
