// The match report of the console in a real browser: a new report after the
// confirmation, a typed shirt number followed by the player's names, a
// number no player has shown as "?", and the report saved into the roster.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { component, openConsoleTab, useProgramServer, WAIT_MS } from './support.mjs';

const demo = useProgramServer();

test('an operator enters a new match report for a demo team and saves it', async () => {
  const page = await demo.browser.newPage();
  await page.setViewportSize({ width: 1600, height: 900 });
  await openConsoleTab(page, demo.server, 'profi', 'stadion2025', 'Teameditor');
  const combo = component(page, 'comboMHeim').locator('input');
  await combo.fill('SV Lindenau');
  await combo.press('Enter');
  const report = component(page, 'gridTeamAktiv');
  await report.getByText('Richter', { exact: true }).waitFor();
  assert.equal(await component(page, 'btnSBSave').isVisible(), false);

  await component(page, 'btnSBNeu').click();
  await page.locator('.tess-box-confirm button[data-r="yes"]').click();
  await component(page, 'btnSBSave').waitFor({ state: 'visible' });
  await report.getByText('Richter', { exact: true }).waitFor({ state: 'detached' });
  const cell = (r, c) => report.locator(`td[data-r="${r}"][data-c="${c}"]`);
  async function type(r, c, text) {
    await cell(r, c).dblclick();
    const editor = report.locator('input.tess-grid-editor');
    await editor.fill(text);
    await editor.press('Enter');
  }
  // The names follow the number; a number without a player shows as "?".
  await type(0, 1, '7');
  await cell(0, 3).getByText('Lehmann', { exact: true }).waitFor();
  await type(1, 1, '77');
  await page.waitForFunction(() => {
    const t = (r, c) => document.querySelector(`[data-component="gridTeamAktiv"] td[data-r="${r}"][data-c="${c}"]`)?.textContent;
    return t(0, 2) === 'Max' && t(1, 0) === '?' && t(1, 3) === '?';
  });
  assert.equal(await cell(1, 1).innerText(), '?');

  await component(page, 'btnSBSave').click();
  // The save writes the roster file; it is read until it holds the report.
  const file = path.join(demo.folder, 'Containers', 'Teams', 'SV Lindenau', 'Team.xml');
  const slotOf = (text, nr) => text.match(new RegExp(`<Nr>${nr}</Nr>[\\s\\S]*?<SpBerNr>([^<]*)</SpBerNr>`))[1];
  const deadline = Date.now() + WAIT_MS;
  let saved = readFileSync(file, 'latin1');
  while (slotOf(saved, 7) !== '1' && Date.now() < deadline) {
    await new Promise((r) => setTimeout(r, 100));
    saved = readFileSync(file, 'latin1');
  }
  assert.equal(slotOf(saved, 7), '1');
  assert.equal(slotOf(saved, 1), '0', 'off the new report');
  await page.close();
});
